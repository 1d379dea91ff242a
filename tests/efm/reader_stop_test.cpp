// Reads that a stop token can end: in pieces, giving the same values as one read while no stop
// is asked for, reading nothing once it is, and ending within a piece when it comes midway.
#include "efm/reader.h"
#include "tests/support/efm_files.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <sstream>
#include <stop_token>
#include <string>
#include <vector>

using namespace brenwick;

namespace {

// An export file in memory that counts the bytes it has delivered and asks `stop` to stop once
// it has delivered `stop_after` of them.
class CountingFile : public std::stringbuf {
public:
    explicit CountingFile(const std::string& bytes) : std::stringbuf(bytes, std::ios::in) {}

    std::stop_source stop;
    std::uint64_t delivered = 0;
    std::uint64_t stop_after = UINT64_MAX;

protected:
    std::streamsize xsgetn(char* out, std::streamsize count) override {
        const std::streamsize got = std::stringbuf::xsgetn(out, count);
        delivered += static_cast<std::uint64_t>(got);
        if (delivered >= stop_after) stop.request_stop();
        return got;
    }
};

// A 64 x 40 x 40 map: 400 KiB of node values, many pieces.
const test_efm::MapContents kMap = test_efm::NumberedMap({64, 40, 40});

// Every value a read delivered, as numbers.
using Read = std::function<std::vector<double>(efm::Reader&)>;

template <typename T>
std::vector<double> Numbers(const std::vector<T>& values) {
    return {values.begin(), values.end()};
}

TEST(StoppableRead, GivesTheSameValuesUntilAStopAndNothingOnceItIsAskedFor) {
    const struct {
        const char* name;
        Read read;
    } reads[] = {
        {"the node value block",
         [](efm::Reader& reader) {
             std::vector<float> values(kMap.nodes.size());
             reader.ReadNodeValues(0, values);
             return Numbers(values);
         }},
        {"a node plane across x", [](efm::Reader& reader) { return Numbers(reader.NodePlane(efm::Axis::x, 17)); }},
        {"a node plane across y", [](efm::Reader& reader) { return Numbers(reader.NodePlane(efm::Axis::y, 3)); }},
        {"a node plane across z", [](efm::Reader& reader) { return Numbers(reader.NodePlane(efm::Axis::z, 39)); }},
        {"an element layer across x",
         [](efm::Reader& reader) { return Numbers(reader.ElementMaterialLayer(efm::Axis::x, 62)); }},
        {"scattered node values",
         [](efm::Reader& reader) {
             const std::vector<std::uint64_t> indices{102399, 5, 70000, 0, 30000};
             std::vector<float> values(indices.size());
             reader.GatherNodeValues(indices, values);
             return Numbers(values);
         }},
    };
    const std::string bytes = test_efm::Bytes(kMap.Blocks());
    for (const auto& read : reads) {
        SCOPED_TRACE(read.name);
        std::istringstream plain_stream(bytes);
        efm::Reader plain(plain_stream, bytes.size());

        CountingFile file(bytes);
        std::istream stream(&file);
        efm::Reader stoppable(stream, bytes.size(), file.stop.get_token());
        EXPECT_EQ(read.read(stoppable), read.read(plain));

        file.stop.request_stop();
        const std::uint64_t before = file.delivered;
        EXPECT_THROW(read.read(stoppable), efm::ReadStopped);
        EXPECT_EQ(file.delivered, before);
    }
}

TEST(StoppableRead, AStopDuringALargeReadEndsItWithinAPiece) {
    const std::string bytes = test_efm::Bytes(kMap.Blocks());
    CountingFile file(bytes);
    std::istream stream(&file);
    efm::Reader reader(stream, bytes.size(), file.stop.get_token());
    file.stop_after = file.delivered + 1;

    std::vector<float> values(kMap.nodes.size());
    ASSERT_GT(values.size() * sizeof(float), 2 * efm::kStoppablePieceBytes);
    EXPECT_THROW(reader.ReadNodeValues(0, values), efm::ReadStopped);
    EXPECT_LE(file.delivered - (file.stop_after - 1), efm::kStoppablePieceBytes);
}

}  // namespace
