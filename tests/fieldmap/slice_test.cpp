// Choosing and reading a slice: which plane a request stands for, and the plane's node values,
// element layer and lines as the file holds them.
#include "fieldmap/mesh_axis.h"
#include "fieldmap/slice.h"
#include "small_map.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <istream>
#include <limits>
#include <streambuf>
#include <utility>
#include <stdexcept>

using namespace brenwick;
using small_map::MemoryFile;
using small_map::SmallMap;

namespace {

TEST(MeshAxis, CellOfAPointAndTheLineNearestToIt) {
    const std::vector<double> lines{0, 1, 3, 4};
    const double nan = std::numeric_limits<double>::quiet_NaN();
    struct Case {
        double x;
        std::optional<std::size_t> cell;
    };
    for (const Case& c : std::vector<Case>{{0, 0}, {0.5, 0}, {1, 0}, {1.5, 1}, {3, 1}, {3.2, 2}, {4, 2}, {-0.1, {}}, {4.1, {}}, {nan, {}}}) {
        EXPECT_EQ(fieldmap::CellOf(lines, c.x), c.cell) << c.x;
    }
    EXPECT_EQ(fieldmap::CellOf(std::vector<double>{2}, 2), std::nullopt);

    for (const auto& [x, line] : std::vector<std::pair<double, std::size_t>>{{0, 0}, {0.5, 0}, {0.6, 1}, {2, 1}, {2.1, 2}, {4, 3}}) {
        EXPECT_EQ(fieldmap::NearestLine(lines, x, efm::Axis::y), line) << x;
    }
    for (const double x : {-0.5, 4.5, nan}) EXPECT_THROW(fieldmap::NearestLine(lines, x, efm::Axis::y), std::out_of_range) << x;
}

TEST(Slice, RequestStandsForTheMiddleTheIndexOrTheNearestLine) {
    const std::vector<double> lines{0, 1, 3, 4, 10};
    using Request = fieldmap::SliceRequest;
    EXPECT_EQ(fieldmap::SliceIndex(Request{}, lines, true), 2);
    EXPECT_EQ(fieldmap::SliceIndex(Request{}, {0, 1, 2, 3}, true), 1);
    EXPECT_EQ(fieldmap::SliceIndex(Request{efm::Axis::x, std::nullopt, 4}, lines, true), 4);
    EXPECT_EQ(fieldmap::SliceIndex(Request{efm::Axis::x, 6.9, std::nullopt}, lines, true), 3);
    EXPECT_EQ(fieldmap::SliceIndex(Request{efm::Axis::x, 7.1, std::nullopt}, lines, true), 4);
    EXPECT_THROW(fieldmap::SliceIndex(Request{efm::Axis::x, std::nullopt, 5}, lines, true), std::out_of_range);
    EXPECT_THROW(fieldmap::SliceIndex(Request{efm::Axis::x, std::nullopt, -1}, lines, true), std::out_of_range);
    EXPECT_THROW(fieldmap::SliceIndex(Request{efm::Axis::x, 10.5, std::nullopt}, lines, true), std::out_of_range);
    EXPECT_THROW(fieldmap::SliceIndex(Request{efm::Axis::x, 1.0, std::nullopt}, lines, false), std::invalid_argument);
}

// The node values and element bytes of every plane of every axis, in the order the slice
// promises (across fastest), and the layer that holds the plane.
TEST(Slice, HoldsThePlanesValuesLayerAndLinesAsTheFileHasThem) {
    const SmallMap map;
    const std::array<std::vector<double>, 3> lines{map.x, map.y, map.z};
    const std::array<std::size_t, 3> nodes{4, 3, 3};
    for (std::size_t a = 0; a < 3; ++a) {
        const auto axis = static_cast<efm::Axis>(a);
        const std::array<efm::Axis, 2> plane = fieldmap::PlaneAxes(axis);
        const auto across = static_cast<std::size_t>(plane[0]), up = static_cast<std::size_t>(plane[1]);
        for (std::size_t index = 0; index < nodes[a]; ++index) {
            MemoryFile file(map.Blocks());
            const fieldmap::Slice slice = fieldmap::ReadSlice(file.reader(), {axis, std::nullopt, static_cast<int>(index)});
            SCOPED_TRACE("axis " + fieldmap::AxisName(axis) + " index " + std::to_string(index));
            EXPECT_EQ(slice.position, lines[a][index]);
            EXPECT_EQ(slice.planes, static_cast<int>(nodes[a]));
            EXPECT_EQ(slice.lines[0], lines[across]);
            EXPECT_EQ(slice.lines[1], lines[up]);
            const std::size_t layer = index == 0 ? 0 : index - 1;
            ASSERT_EQ(slice.element_layer, static_cast<int>(layer));
            ASSERT_EQ(slice.potential.size(), nodes[across] * nodes[up]);
            ASSERT_EQ(slice.materials.size(), (nodes[across] - 1) * (nodes[up] - 1));
            for (std::size_t v = 0; v < nodes[up]; ++v) {
                for (std::size_t u = 0; u < nodes[across]; ++u) {
                    std::array<std::size_t, 3> n{};
                    n[a] = index;
                    n[across] = u;
                    n[up] = v;
                    EXPECT_EQ(slice.potential[u + nodes[across] * v], map.nodes[map.Node(n[0], n[1], n[2])]);
                    if (u + 1 == nodes[across] || v + 1 == nodes[up]) continue;
                    n[a] = layer;
                    EXPECT_EQ(slice.materials[u + (nodes[across] - 1) * v], map.bytes[map.Element(n[0], n[1], n[2])]);
                }
            }
            EXPECT_EQ(slice.records.size(), 2u);
        }
    }
}

// A stream over bytes in memory that counts the bytes it hands out.
class CountingBuffer : public std::streambuf {
public:
    explicit CountingBuffer(std::string bytes) : bytes_(std::move(bytes)) {}
    std::uint64_t delivered = 0;

protected:
    std::streamsize xsgetn(char* out, std::streamsize count) override {
        const std::streamsize n = std::min<std::streamsize>(count, static_cast<std::streamsize>(bytes_.size()) - position_);
        std::copy_n(bytes_.data() + position_, n, out);
        position_ += n;
        delivered += static_cast<std::uint64_t>(n);
        return n;
    }
    pos_type seekpos(pos_type position, std::ios_base::openmode) override {
        position_ = position;
        return position;
    }
    pos_type seekoff(off_type offset, std::ios_base::seekdir from, std::ios_base::openmode mode) override {
        const std::streamoff base = from == std::ios_base::beg ? 0 : from == std::ios_base::cur ? position_ : bytes_.size();
        return seekpos(base + offset, mode);
    }

private:
    std::string bytes_;
    std::streamoff position_ = 0;
};

// A picture must not cost a read of the whole map: only the header, the lines, the plane, its
// layer of elements and the records are read, and of a long description only its start.
TEST(Slice, ReadsOnlyThePlaneItsLayerTheLinesAndTheRecords) {
    test_efm::MapContents map;
    map.dims = {60, 50, 40};
    for (auto [lines, count] : {std::pair{&map.x, 60}, {&map.y, 50}, {&map.z, 40}}) {
        for (int n = 0; n < count; ++n) lines->push_back(n);
    }
    map.nodes.assign(60 * 50 * 40, 1.0f);
    map.bytes.assign(59 * 49 * 39, 0);
    map.records = {{0, std::string(1 << 20, 'd'), 1, 1, 0}};
    const std::string bytes = test_efm::Bytes(map.Blocks());
    CountingBuffer buffer(bytes);
    std::istream in(&buffer);
    efm::Reader reader(in, bytes.size());
    const std::uint64_t header = buffer.delivered;
    fieldmap::ReadSlice(reader, {});
    const std::uint64_t expected =
        8 * (60 + 50 + 40) * 2 + 4 * 60 * 50 + 59 * 49 + 2 * 21 + fieldmap::kSliceDescriptionBytes + 1;
    EXPECT_LE(buffer.delivered - header, expected);
    EXPECT_GE(buffer.delivered - header, 4 * 60 * 50 + 59 * 49);
}

TEST(Slice, DescriptionsAreCutToWhatAPictureShowsWithAnEllipsis) {
    const std::size_t kept = fieldmap::kSliceDescriptionBytes;
    const std::vector<std::pair<std::string, std::string>> cases{
        {std::string(kept, 'k'), std::string(kept, 'k')},
        {std::string(kept + 1, 'c'), std::string(kept, 'c') + "\u2026"},
        // The cut would split the two bytes of the e acute: it goes whole.
        {std::string(kept - 1, 'a') + "\u00e9\u00e9", std::string(kept - 1, 'a') + "\u2026"},
    };
    SmallMap map;
    for (const auto& [description, shown] : cases) map.records.push_back({2, description, 1, 1, 0});
    MemoryFile file(map.Blocks());
    const fieldmap::Slice slice = fieldmap::ReadSlice(file.reader(), {});
    ASSERT_EQ(slice.records.size(), 2 + cases.size());
    EXPECT_EQ(slice.records[0].description, "gas");
    for (std::size_t n = 0; n < cases.size(); ++n) EXPECT_EQ(slice.records[2 + n].description, cases[n].second) << n;
}

TEST(Slice, FileOfPotentialsOnlyGivesNodeIndicesAndNoLayer) {
    const SmallMap map;
    MemoryFile file(map.Blocks(true));
    const fieldmap::Slice slice = fieldmap::ReadSlice(file.reader(), {efm::Axis::y, std::nullopt, 2});
    EXPECT_FALSE(slice.has_mesh);
    EXPECT_EQ(slice.position, 2.0);
    EXPECT_EQ(slice.lines[0], (std::vector<double>{0, 1, 2, 3}));
    EXPECT_EQ(slice.lines[1], (std::vector<double>{0, 1, 2}));
    EXPECT_FALSE(slice.element_layer.has_value());
    EXPECT_TRUE(slice.materials.empty());
    EXPECT_EQ(slice.potential.size(), 12u);
}

}  // namespace
