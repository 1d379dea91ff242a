// Inspection: what it reports of well-formed export files, where it warns that Garfield++
// would misread one, and the malformed files it refuses.
#include "efm/inspection.h"
#include "tests/support/efm_files.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <sstream>

using namespace brenwick;

namespace {

efm::Report InspectBytes(const std::string& bytes) {
    std::istringstream in(bytes);
    return efm::Inspect(in, bytes.size());
}

efm::Report InspectMap(const test_efm::MapContents& map, bool only_potentials = false) {
    return InspectBytes(test_efm::Bytes(map.Blocks(only_potentials)));
}

bool Mentions(const std::vector<std::string>& texts, const std::string& part) {
    return std::any_of(texts.begin(), texts.end(), [&](const std::string& t) { return t.find(part) != std::string::npos; });
}

// The file with its header text replaced (the rest of the 1000 bytes zero).
std::string WithHeader(std::string bytes, const std::string& text) {
    std::fill(bytes.begin(), bytes.begin() + 1000, '\0');
    std::copy(text.begin(), text.end(), bytes.begin());
    return bytes;
}

const std::string small_header =
    "mesh_nx=3 mesh_ny=2 mesh_nz=2\nmesh_xlines=3 mesh_ylines=2 mesh_zlines=2\n"
    "nodes_scalar=12 nodes_vector_x=0 nodes_vector_y=0 nodes_vector_z=0\n"
    "elements_scalar=2 elements_vector_x=0 elements_vector_y=0 elements_vector_z=0\n"
    "elements_material=2\nn_materials=2\n";

TEST(InspectWellFormed, ReportsHeaderRangesCountsAndRecords) {
    const std::string bytes = test_efm::Bytes(test_efm::TwoElementMap().Blocks());
    const efm::Report report = InspectBytes(bytes);
    ASSERT_TRUE(report.Valid()) << report.problems.front();
    EXPECT_TRUE(report.warnings.empty()) << report.warnings.front();
    EXPECT_EQ(report.file_size, bytes.size());
    EXPECT_EQ(report.expected_size, bytes.size());
    const std::array<std::int32_t, 16> expected{3, 2, 2, 3, 2, 2, 12, 0, 0, 0, 2, 0, 0, 0, 2, 2};
    EXPECT_EQ(report.header.value().numbers, expected);
    EXPECT_EQ(report.mesh[0]->min, 0);
    EXPECT_EQ(report.mesh[0]->max, 3);
    EXPECT_EQ(report.mesh[2]->min, -1);
    EXPECT_EQ(report.node_values->min, -11);
    EXPECT_EQ(report.node_values->max, 0);
    EXPECT_EQ(report.element_properties->max, 4.5);
    EXPECT_EQ(report.element_material_counts, (std::map<unsigned, std::uint64_t>{{0, 1}, {1, 1}}));
    ASSERT_EQ(report.materials.size(), 2u);
    EXPECT_EQ(report.materials[1].description, "FR4");
    EXPECT_EQ(report.materials[1].eps, 4.4f);
    EXPECT_EQ(report.materials[1].rho, 1.8f);
}

TEST(InspectWellFormed, PotentialsOnlyIsValidAndFlaggedAsAWeightingField) {
    const efm::Report report = InspectMap(test_efm::TwoElementMap(), true);
    EXPECT_TRUE(report.Valid());
    EXPECT_TRUE(Mentions(report.warnings, "weighting field")) << report.warnings.size();
}

TEST(InspectGarfieldWarnings, AnElementByteThatIndexesNoRecordIsFlagged) {
    test_efm::MapContents map = test_efm::TwoElementMap();
    map.bytes = {0, 7};
    const efm::Report report = InspectMap(map);
    EXPECT_TRUE(report.Valid());
    EXPECT_TRUE(Mentions(report.warnings, "1 elements have a material byte that is no index into the 2 material records (byte 7)"));
}

TEST(InspectGarfieldWarnings, NoGasAndIdsThatDifferFromTheirPositionAreFlagged) {
    test_efm::MapContents map = test_efm::TwoElementMap();
    map.records[0].description = "air";
    map.records[1].id = 5;
    const efm::Report report = InspectMap(map);
    EXPECT_TRUE(report.Valid());
    EXPECT_TRUE(Mentions(report.warnings, "no material record is described exactly \"gas\""));
    EXPECT_TRUE(Mentions(report.warnings, "(record 1 has the ID 5)"));
}

TEST(InspectMalformed, SizesThatDisagreeWithTheHeaderAreProblems) {
    const std::string good = test_efm::Bytes(test_efm::TwoElementMap().Blocks());
    EXPECT_TRUE(Mentions(InspectBytes(good + '\0').problems, "header and material records imply"));
    EXPECT_TRUE(Mentions(InspectBytes(good.substr(0, good.size() - 1)).problems, "material record 1 is cut off"));
    EXPECT_TRUE(Mentions(InspectBytes(good.substr(0, 1100)).problems, "its header implies at least"));
    EXPECT_TRUE(Mentions(InspectBytes(good.substr(0, 999)).problems, "fewer than its 1000-byte header"));
}

TEST(InspectMalformed, HeadersThatGarfieldWouldMisreadAreProblems) {
    const std::string good = test_efm::Bytes(test_efm::TwoElementMap().Blocks());
    const std::vector<std::pair<std::string, std::string>> cases{
        {std::string(small_header).replace(0, 7, "mesh_NX"), "lacks \"mesh_nx=\""},
        {std::string(small_header).replace(small_header.find("nodes_scalar=12"), 15, "nodes_scalar=13"),
         "nodes_scalar=13 but the mesh has 12 nodes"},
        {std::string(small_header).replace(small_header.find("nodes_vector_x=0"), 16, "nodes_vector_x=1"),
         "nodes_vector_x is not 0"},
        {std::string(small_header).replace(small_header.find("elements_material=2"), 19, "elements_material=3"),
         "elements_material=3 but the mesh has 2 elements"},
        {std::string(small_header).replace(0, 9, "mesh_nx=-3"), "mesh_nx is negative"},
        {std::string(small_header).replace(0, 9, "mesh_nx=3x"), "is not a 32-bit integer"},
        {std::string(small_header).replace(0, 9, "mesh_nx=99999999999"), "is not a 32-bit integer"},
        {small_header + "extra\n", "text after its sixth line"},
        {small_header.substr(0, small_header.size() - 1), "line 6 is missing"},
    };
    for (const auto& [header, problem] : cases) {
        SCOPED_TRACE(header);
        const efm::Report report = InspectBytes(WithHeader(good, header));
        EXPECT_FALSE(report.Valid());
        EXPECT_TRUE(Mentions(report.problems, problem)) << (report.problems.empty() ? "" : report.problems.front());
    }
    std::string no_nul = good;
    std::fill(no_nul.begin(), no_nul.begin() + 1000, 'x');
    EXPECT_TRUE(Mentions(InspectBytes(no_nul).problems, "not ended by a NUL byte"));
}

TEST(InspectMalformed, BrokenMaterialRecordsAreProblems) {
    const std::string good = test_efm::Bytes(test_efm::TwoElementMap().Blocks());
    const std::size_t first_record = good.size() - (20 + 4) - (20 + 4);  // "gas" and "FR4"
    std::string zero_length = good;
    std::memset(zero_length.data() + first_record + 4, 0, 4);
    EXPECT_TRUE(Mentions(InspectBytes(zero_length).problems, "material record 0 has a description length of 0"));
    std::string unterminated = good;
    unterminated[first_record + 8 + 3] = 'x';
    EXPECT_TRUE(Mentions(InspectBytes(unterminated).problems, "does not end with a NUL byte"));
}

}  // namespace
