// The bytes the writer lays out: the header text, the blocks behind it, the material records,
// and what the reader makes of them again.
#include "efm/reader.h"
#include "efm/writer.h"
#include "tests/support/efm_files.h"
#include "tests/support/test_files.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

using namespace brenwick;

namespace {

const std::string eleven_by_nine_by_five_header =
    "mesh_nx=11 mesh_ny=9 mesh_nz=5\n"
    "mesh_xlines=11 mesh_ylines=9 mesh_zlines=5\n"
    "nodes_scalar=495 nodes_vector_x=0 nodes_vector_y=0 nodes_vector_z=0\n"
    "elements_scalar=320 elements_vector_x=0 elements_vector_y=0 elements_vector_z=0\n"
    "elements_material=320\n"
    "n_materials=3\n";

// The header block holds the text, then zero bytes up to 1000.
void ExpectHeaderBlock(const std::string& block, const std::string& text) {
    ASSERT_GE(block.size(), 1000u);
    EXPECT_EQ(block.substr(0, text.size()), text);
    EXPECT_EQ(block.substr(text.size(), 1000 - text.size()), std::string(1000 - text.size(), '\0'));
}

test_efm::MapContents ElevenByNineByFive() {
    test_efm::MapContents map;
    map.dims = {11, 9, 5};
    map.x.resize(11);
    map.y.resize(9);
    map.z.resize(5);
    map.nodes.resize(495);
    map.properties.resize(320);
    map.bytes.resize(320);
    map.records.resize(3);
    return map;
}

TEST(ExportHeader, ElevenByNineByFiveExample) {
    const test_efm::MapContents map = ElevenByNineByFive();
    const auto header = efm::FormatHeader(efm::HeaderOf(map.Blocks()));
    ExpectHeaderBlock(std::string(header.data(), header.size()), eleven_by_nine_by_five_header);
    EXPECT_EQ(efm::FileSize(map.Blocks()), 1000 + 8 * 25 + 4 * 815 + 320 + 3 * 21u);
}

TEST(ExportHeader, OnlyPotentialsHasNoMeshLinesElementsOrRecords) {
    test_efm::MapContents map;
    map.dims = {3, 3, 3};
    map.nodes.resize(27);
    const std::string bytes = test_efm::Bytes(map.Blocks(true));
    ExpectHeaderBlock(bytes,
                      "mesh_nx=3 mesh_ny=3 mesh_nz=3\n"
                      "mesh_xlines=0 mesh_ylines=0 mesh_zlines=0\n"
                      "nodes_scalar=27 nodes_vector_x=0 nodes_vector_y=0 nodes_vector_z=0\n"
                      "elements_scalar=0 elements_vector_x=0 elements_vector_y=0 elements_vector_z=0\n"
                      "elements_material=0\n"
                      "n_materials=0\n");
    EXPECT_EQ(bytes.size(), 1108u);
}

TEST(ExportHeader, NegativeAndLargeMeshCountsArePrintedPlainly) {
    efm::Blocks blocks;
    blocks.mesh_dims = {-2147483647 - 1, 2147483647, 0};
    const auto header = efm::FormatHeader(efm::HeaderOf(blocks));
    const std::string first_line = "mesh_nx=-2147483648 mesh_ny=2147483647 mesh_nz=0\n";
    EXPECT_EQ(std::string(header.data(), first_line.size()), first_line);
}

std::string RecordBytes(const efm::MaterialRecord& record) {
    const std::vector<efm::MaterialRecord> records{record};
    efm::Blocks blocks;
    blocks.materials = records;
    return test_efm::Bytes(blocks).substr(1000);
}

TEST(ExportRecord, OneMaterialIsTwentyFourBytes) {
    EXPECT_EQ(RecordBytes({1, "abc", 1, 1, 0}),
              std::string("\x00\x00\x80\x3F"
                          "\x04\x00\x00\x00"
                          "abc\x00"
                          "\x00\x00\x80\x3F"
                          "\x00\x00\x80\x3F"
                          "\x00\x00\x00\x00",
                          24));
}

TEST(ExportRecord, AnEmptyDescriptionIsOneNulByte) {
    const float id = 2.5f, eps = -1, mue = 0, rho = 1e-3f;
    std::string expected(21, '\0');
    std::memcpy(&expected[0], &id, 4);
    expected[4] = 1;
    std::memcpy(&expected[9], &eps, 4);
    std::memcpy(&expected[13], &mue, 4);
    std::memcpy(&expected[17], &rho, 4);
    EXPECT_EQ(RecordBytes({id, "", eps, mue, rho}), expected);
}

TEST(ExportFile, TheReaderFindsWhatTheWriterWrote) {
    const test_efm::MapContents map = test_efm::TwoElementMap();
    const test_files::TempDir dir;
    for (const bool only_potentials : {false, true}) {
        SCOPED_TRACE(only_potentials ? "only potentials" : "everything");
        test_efm::Write(dir / "map.efm", map.Blocks(only_potentials));
        const test_efm::MapContents read = test_efm::Read(dir / "map.efm");
        EXPECT_EQ(read.dims, map.dims);
        EXPECT_EQ(read.nodes, map.nodes);
        EXPECT_EQ(read.x, only_potentials ? std::vector<double>{} : map.x);
        EXPECT_EQ(read.z, only_potentials ? std::vector<double>{} : map.z);
        EXPECT_EQ(read.properties, only_potentials ? std::vector<float>{} : map.properties);
        EXPECT_EQ(read.bytes, only_potentials ? std::vector<unsigned char>{} : map.bytes);
        ASSERT_EQ(read.records.size(), only_potentials ? 0u : 2u);
        if (!only_potentials) {
            EXPECT_EQ(read.records[1].description, "FR4");
        }
    }
    // A byte behind the last record makes the file malformed.
    test_files::WriteText(dir / "longer.efm", test_efm::Bytes(map.Blocks()) + '\0');
    EXPECT_THROW(test_efm::Read(dir / "longer.efm"), efm::FormatError);
}

}  // namespace

namespace {

TEST(ElementCount, EveryByteIsCountedOnceWhateverTheLengthAndAddedToWhatWasCounted) {
    for (const std::size_t length : {0u, 1u, 3u, 4u, 5u, 7u, 8u, 257u, 1031u}) {
        SCOPED_TRACE(length);
        std::vector<unsigned char> bytes(length);
        efm::ElementsPerByte expected{};
        expected[9] = 2;  // counted before
        for (std::size_t index = 0; index < length; ++index) {
            bytes[index] = static_cast<unsigned char>(index * index % 7 == 0 ? 255 : index % 5);
            ++expected[bytes[index]];
        }
        efm::ElementsPerByte counts{};
        counts[9] = 2;
        efm::CountElements(bytes, counts);
        EXPECT_EQ(counts, expected);
    }
}

}  // namespace
