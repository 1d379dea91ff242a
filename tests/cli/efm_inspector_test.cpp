// inspect: what it reports of well-formed export files, where it warns that Garfield++ would
// misread one, and the malformed files it refuses.
#include "efm/inspection.h"
#include "inspect_report.h"
#include "export_file.h"
#include "inspect_command.h"
#include "test_files.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <algorithm>
#include <cstring>
#include <sstream>

using namespace brenwick;

namespace {

using test_files::ReadBytes;
using test_files::TempDir;
using test_files::WriteBytes;

// A 3 x 2 x 2 mesh (two elements) with gas and one solid, written by the engine's writer.
struct SmallExport {
    std::vector<double> x{0, 1, 3}, y{0, 2}, z{-1, 1};
    std::vector<float> nodes{0, -1, -2, -3, -4, -5, -6, -7, -8, -9, -10, -11};
    std::vector<float> properties{1.0f, 4.5f};
    std::vector<unsigned char> element_materials{0, 1};
    std::vector<efm::MaterialRecord> materials{{0, "gas", 1, 1, 0.001f}, {1, "FR4", 4.4f, 1, 1.8f}};

    efm::Blocks Blocks(bool only_potentials = false) const {
        efm::Blocks blocks;
        blocks.mesh_dims = {3, 2, 2};
        blocks.node_values = nodes;
        if (!only_potentials) {
            blocks.x_lines = x;
            blocks.y_lines = y;
            blocks.z_lines = z;
            blocks.element_properties = properties;
            blocks.element_materials = element_materials;
            blocks.materials = materials;
        }
        return blocks;
    }
};

efm::Report InspectBytes(const std::vector<unsigned char>& bytes) {
    std::istringstream in(std::string(bytes.begin(), bytes.end()));
    return efm::Inspect(in, bytes.size());
}

std::vector<unsigned char> Written(const efm::Blocks& blocks) {
    TempDir dir;
    WriteExportFile(dir / "f.efm", blocks);
    return ReadBytes(dir / "f.efm");
}

bool Mentions(const std::vector<std::string>& texts, const std::string& part) {
    return std::any_of(texts.begin(), texts.end(), [&](const std::string& t) { return t.find(part) != std::string::npos; });
}

// The file with its header text replaced (the rest of the 1000 bytes zero).
std::vector<unsigned char> WithHeader(std::vector<unsigned char> bytes, const std::string& text) {
    std::fill(bytes.begin(), bytes.begin() + 1000, 0);
    std::copy(text.begin(), text.end(), bytes.begin());
    return bytes;
}

const std::string small_header =
    "mesh_nx=3 mesh_ny=2 mesh_nz=2\nmesh_xlines=3 mesh_ylines=2 mesh_zlines=2\n"
    "nodes_scalar=12 nodes_vector_x=0 nodes_vector_y=0 nodes_vector_z=0\n"
    "elements_scalar=2 elements_vector_x=0 elements_vector_y=0 elements_vector_z=0\n"
    "elements_material=2\nn_materials=2\n";

TEST(InspectWellFormed, ReportsHeaderRangesCountsAndRecords) {
    const SmallExport e;
    const std::vector<unsigned char> bytes = Written(e.Blocks());
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
    const efm::Report report = InspectBytes(Written(SmallExport{}.Blocks(true)));
    EXPECT_TRUE(report.Valid());
    EXPECT_TRUE(Mentions(report.warnings, "weighting field")) << report.warnings.size();
}

TEST(InspectGarfieldWarnings, AnElementByteThatIndexesNoRecordIsFlagged) {
    SmallExport e;
    e.element_materials = {0, 7};
    const efm::Report report = InspectBytes(Written(e.Blocks()));
    EXPECT_TRUE(report.Valid());
    EXPECT_TRUE(Mentions(report.warnings, "1 elements have a material byte that is no index into the 2 material records (byte 7)"));
}

TEST(InspectGarfieldWarnings, NoGasAndIdsThatDifferFromTheirPositionAreFlagged) {
    SmallExport e;
    e.materials[0].description = "air";
    e.materials[1].id = 5;
    const efm::Report report = InspectBytes(Written(e.Blocks()));
    EXPECT_TRUE(report.Valid());
    EXPECT_TRUE(Mentions(report.warnings, "no material record is described exactly \"gas\""));
    EXPECT_TRUE(Mentions(report.warnings, "(record 1 has the ID 5)"));
}

TEST(InspectMalformed, SizesThatDisagreeWithTheHeaderAreProblems) {
    const std::vector<unsigned char> good = Written(SmallExport{}.Blocks());
    std::vector<unsigned char> longer = good;
    longer.push_back(0);
    EXPECT_TRUE(Mentions(InspectBytes(longer).problems, "header and material records imply"));
    const std::vector<unsigned char> cut(good.begin(), good.end() - 1);
    EXPECT_TRUE(Mentions(InspectBytes(cut).problems, "material record 1 is cut off"));
    const std::vector<unsigned char> cut_in_blocks(good.begin(), good.begin() + 1100);
    EXPECT_TRUE(Mentions(InspectBytes(cut_in_blocks).problems, "its header implies at least"));
    const std::vector<unsigned char> cut_in_header(good.begin(), good.begin() + 999);
    EXPECT_TRUE(Mentions(InspectBytes(cut_in_header).problems, "fewer than its 1000-byte header"));
}

TEST(InspectMalformed, HeadersThatGarfieldWouldMisreadAreProblems) {
    const std::vector<unsigned char> good = Written(SmallExport{}.Blocks());
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
    std::vector<unsigned char> no_nul = good;
    std::fill(no_nul.begin(), no_nul.begin() + 1000, 'x');
    EXPECT_TRUE(Mentions(InspectBytes(no_nul).problems, "not ended by a NUL byte"));
}

TEST(InspectMalformed, BrokenMaterialRecordsAreProblems) {
    const std::vector<unsigned char> good = Written(SmallExport{}.Blocks());
    const std::size_t first_record = good.size() - (20 + 4) - (20 + 4);  // "gas" and "FR4"
    std::vector<unsigned char> zero_length = good;
    std::memset(zero_length.data() + first_record + 4, 0, 4);
    EXPECT_TRUE(Mentions(InspectBytes(zero_length).problems, "material record 0 has a description length of 0"));
    std::vector<unsigned char> unterminated = good;
    unterminated[first_record + 8 + 3] = 'x';
    EXPECT_TRUE(Mentions(InspectBytes(unterminated).problems, "does not end with a NUL byte"));
}

TEST(InspectCommand, ExitStatusAndJsonFollowTheReport) {
    TempDir dir;
    WriteExportFile(dir / "good.efm", SmallExport{}.Blocks());
    std::ostringstream text;
    EXPECT_EQ(RunInspect({dir / "good.efm", false}, text), 0);
    EXPECT_NE(text.str().find("Result: well-formed"), std::string::npos);

    std::ostringstream json_out;
    EXPECT_EQ(RunInspect({dir / "good.efm", true}, json_out), 0);
    const nlohmann::json json = nlohmann::json::parse(json_out.str());
    EXPECT_EQ(json.at("n_materials"), 2);
    EXPECT_EQ(json.at("elements_material"), 2);
    EXPECT_EQ(json.at("materials").at(1).at("description"), "FR4");
    EXPECT_EQ(json.at("valid"), true);
    EXPECT_TRUE(json.at("problems").empty());

    std::vector<unsigned char> cut = ReadBytes(dir / "good.efm");
    cut.resize(1500);
    WriteBytes(dir / "cut.efm", cut);
    std::ostringstream cut_out;
    EXPECT_EQ(RunInspect({dir / "cut.efm", true}, cut_out), 1);
    EXPECT_EQ(nlohmann::json::parse(cut_out.str()).at("valid"), false);

    std::ostringstream missing;
    EXPECT_EQ(RunInspect({dir / "missing.efm", false}, missing), 1);
    EXPECT_EQ(RunInspect({dir.path().string(), false}, missing), 1);
}

}  // namespace
