// The export file: its bytes, the four option combinations and what a failure leaves behind.
#include "engine_test_support.h"
#include "export_file.h"
#include "readout.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <csignal>
#include <cstring>
#include <filesystem>
#include <stop_token>
#include <thread>

using namespace brenwick;

using namespace engine_test;
namespace fs = std::filesystem;

namespace {

const char* const open_failure = "BinaryFileFormat::Save: Error. Unable to open/create file:  ";
const char* const write_failure = "BinaryFileFormat::Save: Error. Unable to write file:  ";
const char* const input_refusal = "BinaryFileFormat::Save: Error. Refusing to overwrite an input file:  ";

std::vector<unsigned char> Bytes(std::initializer_list<int> values) {
    return std::vector<unsigned char>(values.begin(), values.end());
}

template <typename T>
bool SameBytes(const std::vector<T>& a, const std::vector<T>& b) {
    return a.size() == b.size() && std::memcmp(a.data(), b.data(), a.size() * sizeof(T)) == 0;
}

// The catalogue of the export tests: an ID-0 gas and two solids, one with an empty description.
const std::vector<Material> catalogue{{0, 1, 1, 0.0012f, 0.5f, "gas"},
                                      {1, 4, 1, 1850, 2, "FR4"},
                                      {2, 12, 0.99f, 2330, 8, ""}};

// Element properties on a 5 x 4 x 3 mesh that pick the three materials in a 3D pattern.
std::vector<float> Pattern(const fake_reader::Project& project, unsigned quantity) {
    const int ex = project.dims[0] - 1, ey = project.dims[1] - 1, ez = project.dims[2] - 1;
    std::vector<float> properties;
    for (int k = 0; k < ez; ++k) {
        for (int j = 0; j < ey; ++j) {
            for (int i = 0; i < ex; ++i) {
                const int id = (i + 2 * j + k) % 3;
                const Material& m = catalogue[static_cast<std::size_t>(id)];
                properties.push_back(quantity == 0 ? m.eps : m.rho_set);
            }
        }
    }
    return properties;
}

std::vector<unsigned char> PatternBytes(const fake_reader::Project& project) {
    std::vector<unsigned char> bytes;
    for (const float eps : Pattern(project, 0)) bytes.push_back(eps == 1 ? 0 : eps == 4 ? 1 : 2);
    return bytes;
}

class Export : public testing::Test {
protected:
    Export() {
        project.matrices[0] = MatrixForProperties(project, Pattern(project, 0), 0);
        project.matrices[3] = MatrixForProperties(project, Pattern(project, 3), 3);
        WriteText(project_path, "the project");
        WriteMaterialFile(material_path, catalogue);
        engine = OpenEngine(project, project_path);
        engine->material_file = material_path;
    }

    std::string Save(const std::string& path, bool only_potentials, bool write_property) {
        std::string failure;
        StdoutOf([&] { failure = FailureOf([&] { engine->SaveBinaryFile(path, only_potentials, write_property); }); });
        return failure;
    }

    // An existing output with contents of its own; returns them.
    std::vector<unsigned char> ExistingOutput() {
        std::vector<unsigned char> old(3000);
        for (std::size_t b = 0; b < old.size(); ++b) old[b] = static_cast<unsigned char>(b * 7 + 3);
        WriteBytes(output, old);
        return old;
    }

    void ExpectOnlyTheOriginalFiles() const {
        EXPECT_EQ(dir.Entries(), (std::set<std::string>{"project.cst", "materials.xml", "out.efm"}));
    }

    TempDir dir;
    fake_reader::Project project =
        MeshProject({-1, 0, 0.5, 2, 2.25}, {0, 1e-3, 2e-3, 1}, {10, 10.5, 13});
    std::string project_path = dir / "project.cst";
    std::string material_path = dir / "materials.xml";
    std::string output = dir / "out.efm";
    Engine engine;
};

}  // namespace

TEST(ExportHeader, ElevenByNineByFiveExample) {
    const std::vector<double> x(11), y(9), z(5);
    const std::vector<float> nodes(495), elements(320);
    const std::vector<unsigned char> materials_of_elements(320);
    const std::vector<efm::MaterialRecord> materials(3);
    efm::Blocks blocks;
    blocks.mesh_dims = {11, 9, 5};
    blocks.x_lines = x;
    blocks.y_lines = y;
    blocks.z_lines = z;
    blocks.node_values = nodes;
    blocks.element_properties = elements;
    blocks.element_materials = materials_of_elements;
    blocks.materials = materials;
    const auto header = efm::FormatHeader(efm::HeaderOf(blocks));
    const std::string text =
        "mesh_nx=11 mesh_ny=9 mesh_nz=5\n"
        "mesh_xlines=11 mesh_ylines=9 mesh_zlines=5\n"
        "nodes_scalar=495 nodes_vector_x=0 nodes_vector_y=0 nodes_vector_z=0\n"
        "elements_scalar=320 elements_vector_x=0 elements_vector_y=0 elements_vector_z=0\n"
        "elements_material=320\n"
        "n_materials=3\n";
    ASSERT_EQ(header.size(), 1000u);
    EXPECT_EQ(std::string(header.data(), text.size()), text);
    for (std::size_t b = text.size(); b < header.size(); ++b) ASSERT_EQ(header[b], '\0') << "byte " << b;
    EXPECT_EQ(efm::FileSize(blocks), 1000 + 8 * 25 + 4 * 815 + 320 + 3 * 21u);
}

TEST(ExportHeader, NegativeAndLargeMeshCountsArePrintedPlainly) {
    efm::Blocks blocks;
    blocks.mesh_dims = {-2147483647 - 1, 2147483647, 0};
    const auto header = efm::FormatHeader(efm::HeaderOf(blocks));
    const std::string first_line = "mesh_nx=-2147483648 mesh_ny=2147483647 mesh_nz=0\n";
    EXPECT_EQ(std::string(header.data(), first_line.size()), first_line);
}

TEST(ExportRecord, OneMaterialIsTwentyFourBytes) {
    TempDir dir;
    const std::vector<efm::MaterialRecord> materials{{1, "abc", 1, 1, 0}};
    efm::Blocks blocks;
    blocks.materials = materials;
    WriteExportFile(dir / "m.efm", blocks);
    const std::vector<unsigned char> bytes = ReadBytes(dir / "m.efm");
    ASSERT_EQ(bytes.size(), 1024u);
    EXPECT_EQ(std::vector<unsigned char>(bytes.begin() + 1000, bytes.end()),
              Bytes({0x00, 0x00, 0x80, 0x3F, 0x04, 0x00, 0x00, 0x00, 'a', 'b', 'c', 0x00, 0x00, 0x00, 0x80, 0x3F,
                     0x00, 0x00, 0x80, 0x3F, 0x00, 0x00, 0x00, 0x00}));
}

TEST(ExportRecord, AnEmptyDescriptionIsOneNulByte) {
    TempDir dir;
    const std::vector<efm::MaterialRecord> materials{{2.5f, "", -1, 0, 1e-3f}};
    efm::Blocks blocks;
    blocks.materials = materials;
    WriteExportFile(dir / "m.efm", blocks);
    const std::vector<unsigned char> bytes = ReadBytes(dir / "m.efm");
    ASSERT_EQ(bytes.size(), 1021u);
    const ParsedExport parsed = ParseExport(bytes);
    ASSERT_EQ(parsed.materials.size(), 1u);
    EXPECT_EQ(parsed.materials[0].length, 1);
    EXPECT_EQ(parsed.materials[0].id, 2.5f);
    EXPECT_EQ(parsed.materials[0].eps, -1.0f);
    EXPECT_EQ(parsed.materials[0].mue, 0.0f);
    EXPECT_EQ(parsed.materials[0].rho, 1e-3f);
    EXPECT_EQ(bytes[1008], 0);
}

TEST_F(Export, PotentialsOnlyThreeByThreeByThreeIs1108Bytes) {
    engine = OpenEngine(UniformProject(3, 3, 3), project_path);
    engine->material_file = dir / "missing.xml";
    ASSERT_EQ(Save(output, true, false), "");
    const std::vector<unsigned char> bytes = ReadBytes(output);
    ASSERT_EQ(bytes.size(), 1108u);
    const std::string text =
        "mesh_nx=3 mesh_ny=3 mesh_nz=3\n"
        "mesh_xlines=0 mesh_ylines=0 mesh_zlines=0\n"
        "nodes_scalar=27 nodes_vector_x=0 nodes_vector_y=0 nodes_vector_z=0\n"
        "elements_scalar=0 elements_vector_x=0 elements_vector_y=0 elements_vector_z=0\n"
        "elements_material=0\n"
        "n_materials=0\n";
    EXPECT_EQ(std::string(bytes.begin(), bytes.begin() + static_cast<long>(text.size())), text);
    for (std::size_t b = text.size(); b < 1000; ++b) ASSERT_EQ(bytes[b], 0) << "byte " << b;
    EXPECT_TRUE(SameBytes(ParseExport(bytes).node_values, PotentialValues(27)));
    EXPECT_EQ(fake_reader::CallCount("CST_GetMaterialMatrixHexMesh"), 0);
}

TEST_F(Export, ElevenByNineByFiveFileHasTheExampleLength) {
    fake_reader::Project example = UniformProject(11, 9, 5, 0.5);
    example.matrices[0] = MatrixForProperties(example, std::vector<float>(320, 4.0f), 0);
    engine = OpenEngine(example, project_path);
    engine->material_file = material_path;
    ASSERT_EQ(Save(output, false, true), "");
    // Records: "gas" and "FR4" 24 bytes each, the empty description 21.
    EXPECT_EQ(fs::file_size(output), 1000 + 8 * 25 + 4 * 815 + 320 + 24 + 24 + 21u);
    const ParsedExport parsed = ParseExport(ReadBytes(output));
    EXPECT_EQ(parsed.header_text,
              "mesh_nx=11 mesh_ny=9 mesh_nz=5\nmesh_xlines=11 mesh_ylines=9 mesh_zlines=5\nnodes_scalar=495 "
              "nodes_vector_x=0 nodes_vector_y=0 nodes_vector_z=0\nelements_scalar=320 elements_vector_x=0 "
              "elements_vector_y=0 elements_vector_z=0\nelements_material=320\nn_materials=3\n");
}

TEST_F(Export, EveryOptionCombinationReadsBackFromItsHeaderAlone) {
    const std::size_t nodes = 5 * 4 * 3, elements = 4 * 3 * 2;
    for (const bool only_potentials : {false, true}) {
        for (const bool write_property : {false, true}) {
            SCOPED_TRACE(testing::Message() << "only potentials " << only_potentials << ", property " << write_property);
            ASSERT_EQ(Save(output, only_potentials, write_property), "");
            const std::vector<unsigned char> bytes = ReadBytes(output);
            const ParsedExport parsed = ParseExport(bytes);
            EXPECT_EQ(parsed.parsed_size, bytes.size());
            EXPECT_EQ(parsed.header.size(), 16u);
            EXPECT_EQ(parsed.header.at("mesh_nx"), 5);
            EXPECT_EQ(parsed.header.at("mesh_ny"), 4);
            EXPECT_EQ(parsed.header.at("mesh_nz"), 3);
            for (const char* key : {"nodes_vector_x", "nodes_vector_y", "nodes_vector_z", "elements_vector_x",
                                    "elements_vector_y", "elements_vector_z"}) {
                EXPECT_EQ(parsed.header.at(key), 0) << key;
            }
            EXPECT_TRUE(SameBytes(parsed.node_values, PotentialValues(nodes)));
            if (only_potentials) {
                EXPECT_TRUE(parsed.x_lines.empty() && parsed.y_lines.empty() && parsed.z_lines.empty());
                EXPECT_TRUE(parsed.element_properties.empty());
                EXPECT_TRUE(parsed.element_materials.empty());
                EXPECT_TRUE(parsed.materials.empty());
                EXPECT_EQ(bytes.size(), 1000 + 4 * nodes);
                continue;
            }
            EXPECT_EQ(parsed.x_lines, (std::vector<double>{-1, 0, 0.5, 2, 2.25}));
            EXPECT_EQ(parsed.y_lines, (std::vector<double>{0, 1e-3, 2e-3, 1}));
            EXPECT_EQ(parsed.z_lines, (std::vector<double>{10, 10.5, 13}));
            EXPECT_EQ(parsed.element_properties.size(), write_property ? elements : 0u);
            if (write_property) {
                EXPECT_TRUE(SameBytes(parsed.element_properties, engine->ElementProperties()));
            }
            EXPECT_EQ(parsed.element_materials, PatternBytes(project));
            ASSERT_EQ(parsed.materials.size(), catalogue.size());
            for (std::size_t m = 0; m < catalogue.size(); ++m) {
                EXPECT_EQ(parsed.materials[m].id, catalogue[m].ID);
                EXPECT_EQ(parsed.materials[m].description, catalogue[m].description);
                EXPECT_EQ(parsed.materials[m].length, static_cast<int>(catalogue[m].description.size() + 1));
                EXPECT_TRUE(parsed.materials[m].nul_terminated);
                EXPECT_EQ(parsed.materials[m].eps, catalogue[m].eps);
                EXPECT_EQ(parsed.materials[m].mue, catalogue[m].mue);
                EXPECT_EQ(parsed.materials[m].rho, catalogue[m].rho);
            }
        }
    }
}

TEST_F(Export, DensityModeRecoversTheSameMaterials) {
    engine->material_quantity = 3;
    ASSERT_EQ(Save(output, false, true), "");
    const ParsedExport parsed = ParseExport(ReadBytes(output));
    EXPECT_EQ(parsed.element_materials, PatternBytes(project));
    EXPECT_EQ(fake_reader::RequestedQuantity(), 3);
    const std::vector<float> densities = Pattern(project, 3);
    ASSERT_EQ(parsed.element_properties.size(), densities.size());
    for (std::size_t e = 0; e < densities.size(); ++e) EXPECT_FLOAT_EQ(parsed.element_properties[e], densities[e]);
}

TEST_F(Export, OnlyPotentialsWinsOverTheMaterialProperty) {
    ASSERT_EQ(Save(output, true, true), "");
    const ParsedExport parsed = ParseExport(ReadBytes(output));
    EXPECT_EQ(parsed.header.at("elements_scalar"), 0);
    EXPECT_EQ(parsed.header.at("elements_material"), 0);
    EXPECT_EQ(parsed.header.at("n_materials"), 0);
    EXPECT_EQ(fs::file_size(output), 1000 + 4 * 60u);
    EXPECT_EQ(fake_reader::CallCount("CST_GetMaterialMatrixHexMesh"), 0);
}

TEST_F(Export, ASingleLineAlongAnAxisHasNoElementBlocks) {
    engine = OpenEngine(MeshProject({0, 1, 2}, {5}, {0, 1, 3, 4}), project_path);
    engine->material_file = material_path;
    ASSERT_EQ(Save(output, false, true), "");
    const std::vector<unsigned char> bytes = ReadBytes(output);
    const ParsedExport parsed = ParseExport(bytes);
    EXPECT_EQ(parsed.header.at("elements_scalar"), 0);
    EXPECT_EQ(parsed.header.at("elements_material"), 0);
    EXPECT_EQ(parsed.header.at("n_materials"), 3);
    EXPECT_EQ(parsed.y_lines, std::vector<double>{5});
    EXPECT_EQ(parsed.parsed_size, bytes.size());
    EXPECT_EQ(bytes.size(), 1000 + 8 * 8 + 4 * 12 + 24 + 24 + 21u);
}

TEST_F(Export, ThePotentialComesFromTheCurrentTreePath) {
    std::vector<float> other(60);
    for (std::size_t n = 0; n < other.size(); ++n) other[n] = 100.0f + static_cast<float>(n);
    fake_reader::Current().results.push_back({"2D/3D Results\\Weighting", 4, other});
    engine->potential_name = "2D/3D Results\\Weighting";
    ASSERT_EQ(Save(output, true, false), "");
    EXPECT_TRUE(SameBytes(ParseExport(ReadBytes(output)).node_values, other));
    engine->potential_name = "2D/3D Results\\Missing";
    EXPECT_EQ(Save(output, true, false),
              "In RetrieveFieldData could not get information about potentials.Maybe the data is not stored in "
              "2D/3D Results\\Missing");
}

TEST_F(Export, TheCatalogueIsReadOncePerEngine) {
    ASSERT_EQ(Save(output, false, false), "");
    WriteMaterialFile(dir / "other.xml", {{1, 4, 1, 0, 0, "only"}});
    engine->material_file = dir / "other.xml";
    ASSERT_EQ(Save(output, false, false), "");
    EXPECT_EQ(ParseExport(ReadBytes(output)).header.at("n_materials"), 3);
    EXPECT_EQ(engine->Materials().size(), 3u);
}

TEST_F(Export, AnEmptyCatalogueIsReadAgainByTheNextExport) {
    engine = OpenEngine(MeshProject({0, 1}, {0, 1, 2}, {0}), project_path);
    engine->material_file = material_path;
    WriteText(material_path, "<Materials Count=\"0\"/>");
    ASSERT_EQ(Save(output, false, false), "");
    EXPECT_EQ(ParseExport(ReadBytes(output)).header.at("n_materials"), 0);
    WriteMaterialFile(material_path, catalogue);
    ASSERT_EQ(Save(output, false, false), "");
    EXPECT_EQ(ParseExport(ReadBytes(output)).header.at("n_materials"), 3);
}

TEST_F(Export, ThePathIsUsedWithoutAddingAnExtension) {
    ASSERT_EQ(Save(dir / "field map", false, false), "");
    EXPECT_TRUE(fs::is_regular_file(dir / "field map"));
    EXPECT_FALSE(fs::exists(dir / "field map.efm"));
}

TEST_F(Export, ALaterExportReplacesTheWholeFile) {
    ASSERT_EQ(Save(output, false, true), "");
    ASSERT_EQ(Save(output, true, false), "");
    EXPECT_EQ(fs::file_size(output), 1000 + 4 * 60u);
    ExpectOnlyTheOriginalFiles();
}

TEST_F(Export, TheLongestFileNameIsWritten) {
    const std::string name(255, 'f');
    ASSERT_EQ(Save(dir / name, true, false), "");
    EXPECT_EQ(fs::file_size(dir / name), 1000 + 4 * 60u);
}

TEST_F(Export, AMissingDirectoryGivesTheOpenMessageAndNoFile) {
    const std::string path = dir / "no such dir/out.efm";
    EXPECT_EQ(Save(path, false, false), open_failure + path);
    EXPECT_FALSE(fs::exists(dir / "no such dir"));
    EXPECT_EQ(dir.Entries(), (std::set<std::string>{"project.cst", "materials.xml"}));
}

TEST_F(Export, ADashIsAFileNamedDash) {
    const fs::path previous = fs::current_path();
    fs::current_path(dir.path());
    std::string printed;
    const std::string failure = FailureOf([&] { printed = StdoutOf([&] { engine->SaveBinaryFile("-", true, false); }); });
    fs::current_path(previous);
    EXPECT_EQ(failure, "");
    EXPECT_EQ(printed.find("mesh_nx="), std::string::npos) << "the export went to standard output";
    EXPECT_EQ(fs::file_size(dir / "-"), 1000 + 4 * 60u);
}

TEST_F(Export, AnEmptyPathGivesTheOpenMessageAndNoFile) {
    const fs::path previous = fs::current_path();
    fs::current_path(dir.path());
    const std::string failure = Save("", true, false);
    fs::current_path(previous);
    EXPECT_EQ(failure, open_failure);
    EXPECT_EQ(dir.Entries(), (std::set<std::string>{"project.cst", "materials.xml"}));
}

TEST_F(Export, APathBelowARegularFileGivesTheOpenMessage) {
    const std::string path = dir / "materials.xml/out.efm";
    EXPECT_EQ(Save(path, true, false), open_failure + path);
    EXPECT_EQ(dir.Entries(), (std::set<std::string>{"project.cst", "materials.xml"}));
}

TEST_F(Export, APathThroughASymbolicLinkLoopGivesTheOpenMessage) {
    fs::create_symlink("loop", dir / "loop");
    const std::string path = dir / "loop/out.efm";
    EXPECT_EQ(Save(path, true, false), open_failure + path);
    EXPECT_EQ(dir.Entries(), (std::set<std::string>{"project.cst", "materials.xml", "loop"}));
}

TEST_F(Export, AFailedPropertyReadLeavesTheOldFile) {
    const auto old = ExistingOutput();
    fake_reader::Current().matrix_status = 7;
    EXPECT_EQ(Save(output, false, false), "Failed to read material properties from CST.");
    EXPECT_EQ(ReadBytes(output), old);
    ExpectOnlyTheOriginalFiles();
}

TEST_F(Export, ABrokenMaterialFileLeavesTheOldFile) {
    const auto old = ExistingOutput();
    WriteText(material_path, "<Materials Count=\"1\"><Material ID=\"1\">");
    EXPECT_EQ(Save(output, false, false), "PrepareMaterialData: Error during parsing Materials.xml file.");
    EXPECT_EQ(ReadBytes(output), old);
    ExpectOnlyTheOriginalFiles();
}

TEST_F(Export, AFailedFieldReadLeavesTheOldFile) {
    const auto old = ExistingOutput();
    for (int step = 0; step < 3; ++step) {
        fake_reader::Current().result_size_status = step == 0 ? 4 : 0;
        fake_reader::Current().result_status = step == 1 ? 8 : 0;
        fake_reader::Current().results[0].field_type = step == 2 ? 2 : 4;
        EXPECT_NE(Save(output, step == 1, false), "") << "failing step " << step;
        EXPECT_EQ(ReadBytes(output), old) << "failing step " << step;
        ExpectOnlyTheOriginalFiles();
    }
}

TEST_F(Export, ASymbolicLinkIsWrittenThroughToItsTarget) {
    fs::create_directory(dir / "real");
    WriteText(dir / "real/target.efm", "old");
    fs::create_symlink("real/target.efm", output);
    ASSERT_EQ(Save(output, true, false), "");
    EXPECT_TRUE(fs::is_symlink(fs::symlink_status(output)));
    EXPECT_EQ(fs::read_symlink(output), "real/target.efm");
    EXPECT_EQ(fs::file_size(dir / "real/target.efm"), 1000 + 4 * 60u);
    EXPECT_EQ(fs::directory_iterator(dir / "real")->path().filename(), "target.efm");
    EXPECT_EQ(std::distance(fs::directory_iterator(dir / "real"), fs::directory_iterator()), 1);
}

TEST_F(Export, ADanglingSymbolicLinkIsWrittenThroughToItsTarget) {
    fs::create_directory(dir / "real");
    fs::create_symlink("real/target.efm", output);
    ASSERT_EQ(Save(output, true, false), "");
    EXPECT_TRUE(fs::is_symlink(fs::symlink_status(output)));
    EXPECT_TRUE(fs::is_regular_file(dir / "real/target.efm"));
}

TEST_F(Export, AChainOfLinksIsFollowedToTheLastTarget) {
    fs::create_directory(dir / "real");
    fs::create_directory(dir / "links");
    WriteText(dir / "real/target.efm", "old");
    fs::create_symlink("../real/target.efm", dir / "links/second");
    fs::create_symlink("links/second", output);
    ASSERT_EQ(Save(output, true, false), "");
    EXPECT_TRUE(fs::is_symlink(fs::symlink_status(output)));
    EXPECT_TRUE(fs::is_symlink(fs::symlink_status(dir / "links/second")));
    EXPECT_EQ(fs::file_size(dir / "real/target.efm"), 1000 + 4 * 60u);
    EXPECT_EQ(dir.Entries(), (std::set<std::string>{"project.cst", "materials.xml", "out.efm", "real", "links"}));
}

TEST_F(Export, AnOutputLinkThatLoopsGivesTheOpenMessageAndStays) {
    fs::create_symlink("other.efm", output);
    fs::create_symlink("out.efm", dir / "other.efm");
    EXPECT_EQ(Save(output, true, false), open_failure + output);
    EXPECT_EQ(fs::read_symlink(output), "other.efm");
    EXPECT_EQ(fs::read_symlink(dir / "other.efm"), "out.efm");
    EXPECT_EQ(dir.Entries(), (std::set<std::string>{"project.cst", "materials.xml", "out.efm", "other.efm"}));
}

TEST_F(Export, APathEndingInASlashGivesTheOpenMessage) {
    const std::string path = dir / "out.efm/";
    EXPECT_EQ(Save(path, true, false), open_failure + path);
    EXPECT_EQ(dir.Entries(), (std::set<std::string>{"project.cst", "materials.xml"}));
}

TEST_F(Export, TheProjectFileIsNeverTheOutput) {
    fs::create_directory(dir / "sub");
    fs::create_symlink(project_path, dir / "link.efm");
    fs::create_hard_link(project_path, dir / "hard.efm");
    for (const std::string& path : {project_path, dir / "sub/../project.cst", dir / "link.efm", dir / "hard.efm",
                                    dir / "./sub/.././project.cst"}) {
        EXPECT_EQ(Save(path, false, false), input_refusal + path);
        EXPECT_EQ(ReadBytes(project_path), Bytes({'t', 'h', 'e', ' ', 'p', 'r', 'o', 'j', 'e', 'c', 't'}));
    }
    EXPECT_EQ(fake_reader::CallCount("CST_GetMaterialMatrixHexMesh"), 0);
    EXPECT_EQ(fake_reader::CallCount("CST_Get3DHexResultSize"), 0);
    EXPECT_EQ(dir.Entries(), (std::set<std::string>{"project.cst", "materials.xml", "sub", "link.efm", "hard.efm"}));
}

TEST_F(Export, TheMaterialFileIsNeverTheOutput) {
    const auto before = ReadBytes(material_path);
    fs::create_directory(dir / "sub");
    fs::create_symlink("materials.xml", dir / "link.efm");
    for (const std::string& path : {material_path, dir / "sub/../materials.xml", dir / "link.efm"}) {
        for (const bool only_potentials : {false, true}) {
            EXPECT_EQ(Save(path, only_potentials, false), input_refusal + path);
            EXPECT_EQ(ReadBytes(material_path), before);
        }
    }
    EXPECT_EQ(dir.Entries(), (std::set<std::string>{"project.cst", "materials.xml", "sub", "link.efm"}));
}

TEST_F(Export, ARelativeOutputPathNamingTheProjectIsRefused) {
    const fs::path previous = fs::current_path();
    fs::current_path(dir.path());
    const std::string failure = Save("project.cst", true, false);
    fs::current_path(previous);
    EXPECT_EQ(failure, std::string(input_refusal) + "project.cst");
    EXPECT_EQ(ReadBytes(project_path), Bytes({'t', 'h', 'e', ' ', 'p', 'r', 'o', 'j', 'e', 'c', 't'}));
}

namespace {

// Runs the export in a child process whose files may not grow beyond `limit` bytes.
std::string SaveUnderFileSizeLimit(CST_Readout& engine, const std::string& path, rlim_t limit) {
    return FailureInChild([&] {
        std::signal(SIGXFSZ, SIG_IGN);
        const rlimit small{limit, limit};
        if (setrlimit(RLIMIT_FSIZE, &small) != 0) throw std::runtime_error("setrlimit failed");
        std::cout.rdbuf(nullptr);
        engine.SaveBinaryFile(path, false, true);
    });
}

}  // namespace

TEST_F(Export, AWriteFailureLeavesTheOldFileAndNoTemporaryFile) {
    const auto old = ExistingOutput();
    // The new file is 1000 + 8*12 + 4*60 + 4*24 + 24 + 69 bytes: fail in the header, the mesh
    // lines, the node values, the element blocks and the material records.
    for (const rlim_t limit : {0, 999, 1050, 1300, 1400, 1440, 1520}) {
        EXPECT_EQ(SaveUnderFileSizeLimit(*engine, output, limit), write_failure + output) << "limit " << limit;
        EXPECT_EQ(ReadBytes(output), old) << "limit " << limit;
        ExpectOnlyTheOriginalFiles();
    }
    // The same export without the limit succeeds.
    ASSERT_EQ(Save(output, false, true), "");
    EXPECT_EQ(fs::file_size(output), 1000 + 8 * 12 + 4 * 60 + 4 * 24 + 24 + 69u);
}

TEST_F(Export, AWriteFailureOnANewFileLeavesNothing) {
    EXPECT_EQ(SaveUnderFileSizeLimit(*engine, output, 1200), write_failure + output);
    EXPECT_EQ(dir.Entries(), (std::set<std::string>{"project.cst", "materials.xml"}));
}

TEST_F(Export, NoFreeFileDescriptorGivesTheOpenMessageAndLeavesTheOldFile) {
    const auto old = ExistingOutput();
    const std::string failure = FailureInChild([&] {
        std::cout.rdbuf(nullptr);
        // The data are complete first, so that only the output cannot be opened.
        engine->AssignElementMaterials();
        const int lowest_free = open("/dev/null", O_RDONLY);
        close(lowest_free);
        rlimit limit{};
        getrlimit(RLIMIT_NOFILE, &limit);
        const rlimit usual = limit;
        limit.rlim_cur = static_cast<rlim_t>(lowest_free);
        if (setrlimit(RLIMIT_NOFILE, &limit) != 0) throw std::runtime_error("setrlimit failed");
        try {
            engine->SaveBinaryFile(output, false, true);
        } catch (...) {
            // Descriptors back before the failure is read: the sanitizers' checks of the
            // exception object open a pipe, and report a false fault without one.
            setrlimit(RLIMIT_NOFILE, &usual);
            throw;
        }
    });
    EXPECT_EQ(failure, open_failure + output);
    EXPECT_EQ(ReadBytes(output), old);
    ExpectOnlyTheOriginalFiles();
}

TEST_F(Export, AStopAsAnOutputWrittenInPlaceIsOpenedLeavesItUntouched) {
    const auto old = ExistingOutput();
    fs::create_hard_link(output, dir / "second name.efm");  // a file with two links is written in place
    std::stop_source stop;
    engine->SetCancellation(stop.get_token());
    engine->SetProgressListener([&](ExportStage stage) {
        if (stage == ExportStage::Writing) stop.request_stop();
    });
    EXPECT_THROW(StdoutOf([&] { engine->SaveBinaryFile(output, false, true); }), ExportCancelled);
    EXPECT_EQ(ReadBytes(output), old);
}

TEST_F(Export, AStopWhileAFifoIsWrittenDoesNotCutTheExportShort) {
    // More than a pipe holds, so that the export is still writing when the reader asks to stop.
    fake_reader::Project large = UniformProject(40, 40, 40);
    large.matrices[0] = MatrixForProperties(large, std::vector<float>(39 * 39 * 39, 4.0f), 0);
    engine = OpenEngine(large, project_path);
    engine->material_file = material_path;
    const std::string fifo = dir / "fifo";
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    std::stop_source stop;
    engine->SetCancellation(stop.get_token());
    std::vector<unsigned char> received;
    std::thread reader([&] {
        const int descriptor = open(fifo.c_str(), O_RDONLY);
        unsigned char buffer[1000];
        for (ssize_t n; (n = read(descriptor, buffer, sizeof buffer)) > 0;) {
            received.insert(received.end(), buffer, buffer + n);
            stop.request_stop();
        }
        close(descriptor);
    });
    const std::string failure = Save(fifo, false, true);
    // Should the export never have opened the FIFO, the reader would wait for it for ever.
    const int release = open(fifo.c_str(), O_WRONLY | O_NONBLOCK);
    if (release >= 0) close(release);
    reader.join();
    EXPECT_EQ(failure, "");
    EXPECT_EQ(received.size(), engine->LastExport().file_size);
    engine->SetCancellation({});
    ASSERT_EQ(Save(output, false, true), "");
    EXPECT_EQ(received, ReadBytes(output));
}

namespace {

std::vector<ExportStage> StagesOf(CST_Readout& engine, const std::function<void()>& action) {
    std::vector<ExportStage> stages;
    engine.SetProgressListener([&](ExportStage stage) { stages.push_back(stage); });
    action();
    engine.SetProgressListener({});
    return stages;
}

}  // namespace

TEST_F(Export, StagesAreReportedInTheOrderTheyRun) {
    using S = ExportStage;
    EXPECT_EQ(StagesOf(*engine, [&] { Save(output, false, true); }),
              (std::vector<S>{S::ReadingProperties, S::AssigningMaterials, S::ReadingPotential, S::Writing,
                              S::Finished}));
    // The properties are kept, so the second export does not read them.
    EXPECT_EQ(StagesOf(*engine, [&] { Save(output, false, false); }),
              (std::vector<S>{S::AssigningMaterials, S::ReadingPotential, S::Writing, S::Finished}));
    EXPECT_EQ(StagesOf(*engine, [&] { Save(output, true, false); }),
              (std::vector<S>{S::ReadingPotential, S::Writing, S::Finished}));
    fake_reader::Current().result_status = 8;
    EXPECT_EQ(StagesOf(*engine, [&] { Save(output, true, false); }), (std::vector<S>{S::ReadingPotential}));
    fake_reader::Current().result_status = 0;
    EXPECT_EQ(StagesOf(*engine, [&] { Save(dir / "missing/out.efm", false, false); }),
              (std::vector<S>{S::AssigningMaterials, S::ReadingPotential, S::Writing}));
}
