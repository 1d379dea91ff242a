// The VTK file read back the way a VTK reader reads it: the XML with pugixml, then each array
// from the raw appended data behind its 64-bit byte count, compared with the export file.
#include "fieldmap/vtk_writer.h"
#include "small_map.h"
#include "tests/support/test_files.h"

#include <gtest/gtest.h>
#include <pugixml.hpp>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <map>
#include <stdexcept>

using namespace brenwick;
using small_map::MemoryFile;
using small_map::SmallMap;
using test_files::TempDir;

namespace {

struct VtkArray {
    std::string type;
    std::vector<unsigned char> bytes;

    template <typename T>
    std::vector<T> Values() const {
        std::vector<T> values(bytes.size() / sizeof(T));
        std::memcpy(values.data(), bytes.data(), values.size() * sizeof(T));
        return values;
    }
};

// A .vtr file taken apart: its XML document and each array by name.
struct VtkFile {
    explicit VtkFile(const std::string& path) {
        const std::vector<unsigned char> file = test_files::ReadBytes(path);
        const std::string text(file.begin(), file.end());
        const std::string marker = "<AppendedData encoding=\"raw\">";
        const std::size_t appended = text.find(marker);
        const std::size_t data = text.find('_', appended) + 1;
        // The XML without the binary data, closed as the file closes it.
        const std::string xml = text.substr(0, appended + marker.size()) + "</AppendedData></VTKFile>";
        EXPECT_TRUE(document.load_string(xml.c_str()));
        std::size_t end = data;  // of the last array
        for (const pugi::xpath_node node : document.select_nodes("//DataArray")) {
            const pugi::xml_node array = node.node();
            EXPECT_STREQ(array.attribute("format").value(), "appended");
            const std::size_t at = data + array.attribute("offset").as_ullong();
            std::uint64_t size = 0;
            std::memcpy(&size, file.data() + at, sizeof size);
            const auto begin = file.begin() + static_cast<std::ptrdiff_t>(at + sizeof size);
            arrays[array.attribute("Name").value()] = {array.attribute("type").value(),
                                                       {begin, begin + static_cast<std::ptrdiff_t>(size)}};
            end = std::max<std::size_t>(end, at + sizeof size + size);
        }
        // The data end where the file's closing tags begin.
        EXPECT_EQ(text.substr(end), "\n  </AppendedData>\n</VTKFile>\n");
    }

    pugi::xml_document document;
    std::map<std::string, VtkArray> arrays;
};

VtkFile Converted(const efm::Blocks& blocks, const TempDir& dir) {
    MemoryFile file(blocks);
    fieldmap::WriteVtr(file.reader(), dir / "map.vtr");
    return VtkFile(dir / "map.vtr");
}

TEST(VtkFile, HoldsTheGridValuesMaterialsAndPropertiesOfTheExport) {
    const SmallMap map;
    const TempDir dir;
    const VtkFile vtk = Converted(map.Blocks(), dir);

    const pugi::xml_node root = vtk.document.child("VTKFile");
    EXPECT_STREQ(root.attribute("type").value(), "RectilinearGrid");
    EXPECT_STREQ(root.attribute("version").value(), "1.0");
    EXPECT_STREQ(root.attribute("byte_order").value(), "LittleEndian");
    EXPECT_STREQ(root.attribute("header_type").value(), "UInt64");
    EXPECT_STREQ(root.child("RectilinearGrid").attribute("WholeExtent").value(), "0 3 0 2 0 2");
    const pugi::xml_node piece = root.child("RectilinearGrid").child("Piece");
    EXPECT_STREQ(piece.attribute("Extent").value(), "0 3 0 2 0 2");
    EXPECT_STREQ(piece.child("PointData").child("DataArray").attribute("Name").value(), "potential");
    EXPECT_EQ(piece.child("CellData").select_nodes("DataArray").size(), 4u);
    EXPECT_EQ(piece.child("Coordinates").select_nodes("DataArray").size(), 3u);

    const std::map<std::string, std::string> types{{"potential", "Float32"}, {"material", "UInt8"},
                                                   {"material_id", "UInt8"}, {"eps", "Float32"},
                                                   {"property", "Float32"}, {"x", "Float64"},
                                                   {"y", "Float64"}, {"z", "Float64"}};
    ASSERT_EQ(vtk.arrays.size(), types.size());
    for (const auto& [name, type] : types) EXPECT_EQ(vtk.arrays.at(name).type, type) << name;

    EXPECT_EQ(vtk.arrays.at("potential").Values<float>(), map.nodes);
    EXPECT_EQ(vtk.arrays.at("material").Values<unsigned char>(), map.bytes);
    EXPECT_EQ(vtk.arrays.at("property").Values<float>(), map.properties);
    EXPECT_EQ(vtk.arrays.at("x").Values<double>(), map.x);
    EXPECT_EQ(vtk.arrays.at("y").Values<double>(), map.y);
    EXPECT_EQ(vtk.arrays.at("z").Values<double>(), map.z);
    const std::vector<unsigned char> ids = vtk.arrays.at("material_id").Values<unsigned char>();
    const std::vector<float> eps = vtk.arrays.at("eps").Values<float>();
    ASSERT_EQ(ids.size(), map.bytes.size());
    for (std::size_t e = 0; e < map.bytes.size(); ++e) {
        if (map.bytes[e] < map.records.size()) {
            EXPECT_EQ(ids[e], map.records[map.bytes[e]].id) << e;
            EXPECT_EQ(eps[e], map.records[map.bytes[e]].eps) << e;
        } else {
            EXPECT_EQ(ids[e], fieldmap::kNoRecordByteId) << e;
            EXPECT_TRUE(std::isnan(eps[e])) << e;
        }
    }
}

// IDs that are no whole numbers from 0 to 254 cannot be bytes; 255 could be a real ID.
TEST(VtkFile, IdsThatAreNoBytesAreWrittenAsFloatsWithNanForBytesWithoutRecord) {
    for (const float odd_id : {2.5f, 255.0f, -1.0f}) {
        SmallMap map;
        map.records[1].id = odd_id;
        const TempDir dir;
        const VtkFile vtk = Converted(map.Blocks(), dir);
        ASSERT_EQ(vtk.arrays.at("material_id").type, "Float32") << odd_id;
        const std::vector<float> ids = vtk.arrays.at("material_id").Values<float>();
        for (std::size_t e = 0; e < map.bytes.size(); ++e) {
            if (map.bytes[e] < map.records.size()) {
                EXPECT_EQ(ids[e], map.records[map.bytes[e]].id) << e;
            } else {
                EXPECT_TRUE(std::isnan(ids[e])) << e;
            }
        }
    }
}

TEST(VtkFile, FileOfPotentialsOnlyHasNodeIndicesAndNoCellData) {
    const SmallMap map;
    const TempDir dir;
    const VtkFile vtk = Converted(map.Blocks(true), dir);
    EXPECT_EQ(vtk.arrays.size(), 4u);
    EXPECT_EQ(vtk.arrays.at("potential").Values<float>(), map.nodes);
    EXPECT_EQ(vtk.arrays.at("x").Values<double>(), (std::vector<double>{0, 1, 2, 3}));
    EXPECT_EQ(vtk.arrays.at("z").Values<double>(), (std::vector<double>{0, 1, 2}));
    EXPECT_TRUE(vtk.document.select_nodes("//CellData/DataArray").empty());
}

}  // namespace
