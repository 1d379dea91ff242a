// Material files handed to `brenwick-cli export`: the unusable ones end with the catalogue
// reader's message and change nothing; UTF-16 files and catalogues of more than 256 materials
// export.
#include "cli_export_fixture.h"
#include "engine/materials/material_assignment.h"
#include "tests/support/text_encodings.h"

#include <map>

using namespace brenwick;

namespace integration {
namespace {

class Catalogue : public CliExport {
protected:
    Catalogue() { WriteProject(demo.contents); }

    // How many elements carry each material byte, as the demo expects them.
    std::map<unsigned, std::uint64_t> ExpectedCounts() const {
        std::map<unsigned, std::uint64_t> counts;
        for (const unsigned char byte : demo.element_materials) ++counts[byte];
        return counts;
    }
};

TEST_F(Catalogue, MissingMaterialFileIsRefused) {
    std::filesystem::remove(materials);
    ExpectRefusal(ExportArguments(), kMaterialParseFailure);
}

TEST_F(Catalogue, ExportWithoutMaterialFileIsRefused) {
    ExpectRefusal({"export", project, "--output", output}, kMaterialParseFailure);
}

TEST_F(Catalogue, DirectoryAsMaterialFileIsRefused) {
    std::filesystem::remove(materials);
    std::filesystem::create_directory(materials);
    ExpectRefusal(ExportArguments(), kMaterialParseFailure);
}

TEST_F(Catalogue, MalformedXmlIsRefused) {
    const std::string text = test_files::ReadText(materials);
    test_files::WriteText(materials, text.substr(0, text.size() / 2));
    ExpectRefusal(ExportArguments(), kMaterialParseFailure);
    test_files::WriteText(materials, "<Materials Count=\"1\"><Material ID=\"1\" eps=\"2\"></Materials>");
    ExpectRefusal(ExportArguments(), kMaterialParseFailure);
}

TEST_F(Catalogue, CountThatDiffersFromTheRecordsIsRefused) {
    std::string text = test_files::ReadText(materials);
    const std::string count = "Count=\"" + std::to_string(demo.materials.size()) + "\"";
    ASSERT_NE(text.find(count), std::string::npos);
    text.replace(text.find(count), count.size(), "Count=\"" + std::to_string(demo.materials.size() + 1) + "\"");
    test_files::WriteText(materials, text);
    ExpectRefusal(ExportArguments(), kCountMismatch);
}

TEST_F(Catalogue, EmptyCatalogueIsRefusedAtTheFirstElementToMatch) {
    test_files::WriteText(materials, "<?xml version=\"1.0\"?>\n<Materials Count=\"0\"/>\n");
    ExpectRefusal(ExportArguments(), kEmptyCatalogue);
}

TEST_F(Catalogue, Utf16FilesExportLikeTheirUtf8Original) {
    // A description beyond ASCII must arrive in the export file as UTF-8.
    const std::string& original = demo.materials.at(2).description;
    std::string text = test_files::ReadText(materials);
    ASSERT_NE(text.find(original), std::string::npos);
    text.replace(text.find(original), original.size(), "Kapton\u00AE polyimide \u03B5 3.5");
    for (const bool big_endian : {false, true}) {
        SCOPED_TRACE(big_endian ? "big-endian" : "little-endian");
        test_files::WriteBytes(materials, test_files::Utf16(text, big_endian, true));
        const efm::Report report = ExpectExport(ExportArguments());
        ASSERT_TRUE(report.Valid());
        ASSERT_EQ(report.materials.size(), demo.materials.size());
        EXPECT_EQ(report.materials[2].description, "Kapton\u00AE polyimide \u03B5 3.5");
        for (std::size_t index = 0; index < demo.materials.size(); ++index) {
            EXPECT_EQ(report.materials[index].eps, demo.materials[index].eps);
        }
        EXPECT_EQ(report.element_material_counts, ExpectedCounts());
    }
}

TEST_F(Catalogue, ThreeHundredMaterialsExportWithTheLowByteOfTheirIds) {
    // Materials with IDs 1 to 300; eps far enough apart that the nearest is never in doubt.
    std::vector<Material> catalogue;
    for (int id = 1; id <= 300; ++id) {
        catalogue.push_back({static_cast<float>(id), 1.0f + 0.5f * static_cast<float>(id), 1.0f, 1.0f, 1.0f,
                             "material " + std::to_string(id)});
    }
    // A row of elements along x, each made of one of these materials.
    const std::vector<int> chosen{1, 200, 255, 256, 257, 300};
    std::vector<double> x;
    for (std::size_t i = 0; i <= chosen.size(); ++i) x.push_back(1e-3 * static_cast<double>(i));
    const std::vector<double> y{0, 1e-3}, z{0, 1e-3};
    // The demo's matrix maker takes element materials as bytes: give element i the byte i and
    // a stand-in catalogue in which ID i has the eps of the chosen material.
    std::vector<unsigned char> stand_in_bytes;
    std::vector<Material> stand_in;
    for (std::size_t i = 0; i < chosen.size(); ++i) {
        stand_in_bytes.push_back(static_cast<unsigned char>(i));
        stand_in.push_back({static_cast<float>(i), catalogue.at(static_cast<std::size_t>(chosen[i] - 1)).eps, 1, 1, 1, ""});
    }
    ProjectContents contents = demo.contents;
    contents.x_lines = x;
    contents.y_lines = y;
    contents.z_lines = z;
    contents.results.at(0).values.assign(x.size() * y.size() * z.size(), 0.0f);
    contents.material_matrices = {{0, DemoMaterialMatrix(x, y, z, stand_in_bytes, stand_in, 0)}};
    WriteProject(contents);
    WriteMaterials(catalogue);

    const efm::Report report = ExpectExport(ExportArguments());
    ASSERT_TRUE(report.Valid());
    EXPECT_EQ(report.materials.size(), 300u);
    std::map<unsigned, std::uint64_t> expected;
    for (const int id : chosen) ++expected[static_cast<unsigned>(id) % 256];
    EXPECT_EQ(report.element_material_counts, expected);
}

}  // namespace
}  // namespace integration
