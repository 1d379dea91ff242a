// The whole road: make-project writes the demo detector, export writes its field map, and the
// file holds exactly what the generator placed in the project.
#include "demo_project.h"
#include "efm/inspection.h"
#include "export_command.h"
#include "make_project.h"
#include "test_files.h"

#include <gtest/gtest.h>

#include <cstring>
#include <sstream>

using namespace brenwick;

namespace {

using test_files::ReadBytes;
using test_files::TempDir;

// The blocks of an export file, located through its header alone.
struct ExportedFile {
    std::vector<unsigned char> bytes;
    std::array<std::int32_t, 16> header{};

    explicit ExportedFile(const std::string& path) : bytes(ReadBytes(path)) {
        std::istringstream in(std::string(bytes.begin(), bytes.end()));
        const efm::Report report = efm::Inspect(in, bytes.size());
        EXPECT_TRUE(report.Valid()) << report.problems.front();
        header = report.header.value().numbers;
    }
    std::size_t NodeBlock() const { return 1000 + 8 * static_cast<std::size_t>(header[3] + header[4] + header[5]); }
    std::size_t MaterialBlock() const { return NodeBlock() + 4 * static_cast<std::size_t>(header[6] + header[10]); }

    std::vector<unsigned char> ElementMaterials() const {
        const auto begin = bytes.begin() + static_cast<std::ptrdiff_t>(MaterialBlock());
        return {begin, begin + header[14]};
    }
    std::vector<float> NodeValues() const {
        std::vector<float> values(static_cast<std::size_t>(header[6]));
        std::memcpy(values.data(), bytes.data() + NodeBlock(), values.size() * sizeof(float));
        return values;
    }
};

class DemoRoundTrip : public ::testing::TestWithParam<bool> {
protected:
    TempDir dir;
    std::string project = dir / "detector.cst";
    std::string materials = dir / "materials.xml";
    std::string output = dir / "detector.efm";

    void MakeProject(const std::array<int, 3>& mesh) {
        std::ostringstream out, err;
        ASSERT_EQ(RunMakeProject({project, materials, mesh}, out, err), 0) << err.str();
    }
    int Export(bool density, bool only_potentials = false) {
        ExportOptions options;
        options.project_path = project;
        options.output_path = output;
        options.materials_path = materials;
        options.density = density;
        options.only_potentials = only_potentials;
        options.write_property = true;
        std::ostringstream err;
        const int status = RunExport(options, err);
        EXPECT_EQ(err.str(), "");
        return status;
    }
};

TEST_P(DemoRoundTrip, EveryElementGetsTheMaterialTheGeneratorPlacedThere) {
    const bool density = GetParam();
    for (const std::array<int, 3> mesh : {std::array{41, 33, 29}, std::array{17, 9, 23}, std::array{2, 2, 2}}) {
        SCOPED_TRACE(std::to_string(mesh[0]) + "x" + std::to_string(mesh[1]) + "x" + std::to_string(mesh[2]));
        MakeProject(mesh);
        ASSERT_EQ(Export(density), 0);
        const DemoProject demo = MakeDemoProject(mesh);
        const ExportedFile file(output);
        EXPECT_EQ(file.ElementMaterials(), demo.element_materials);
        EXPECT_EQ(file.NodeValues(), demo.contents.results.at(0).values);
    }
}

TEST_P(DemoRoundTrip, TheExportPassesInspectionWithoutWarnings) {
    MakeProject({41, 33, 29});
    ASSERT_EQ(Export(GetParam()), 0);
    const efm::Report report = efm::InspectFile(output);
    EXPECT_TRUE(report.Valid());
    EXPECT_TRUE(report.warnings.empty()) << report.warnings.front();
    ASSERT_EQ(report.materials.size(), 4u);
    EXPECT_EQ(report.materials[0].description, "gas");
    for (unsigned id = 0; id < 4; ++id) EXPECT_GT(report.element_material_counts.at(id), 0u) << id;
}

INSTANTIATE_TEST_SUITE_P(PermittivityAndDensity, DemoRoundTrip, ::testing::Values(false, true),
                         [](const auto& info) { return info.param ? "Density" : "Permittivity"; });

TEST(ExportCommand, AFailureGivesTheEngineTextAndStatusOne) {
    TempDir dir;
    ExportOptions options;
    options.project_path = dir / "missing.cst";
    options.output_path = dir / "out.efm";
    std::ostringstream err;
    EXPECT_EQ(RunExport(options, err), 1);
    EXPECT_EQ(err.str(), "Failed to open the CST project file: " + options.project_path + "\n");
    EXPECT_EQ(dir.Entries(), std::set<std::string>{});
}

TEST(ExportCommand, ProgressNamesEveryStageInOrder) {
    TempDir dir;
    std::ostringstream out, err, progress;
    ASSERT_EQ(RunMakeProject({dir / "p.cst", dir / "m.xml", {5, 4, 3}}, out, err), 0);
    ExportOptions options;
    options.project_path = dir / "p.cst";
    options.output_path = dir / "p.efm";
    options.materials_path = dir / "m.xml";
    ASSERT_EQ(RunExport(options, err, &progress), 0);
    const std::string text = progress.str();
    std::size_t position = 0;
    for (const char* stage : {"reading material properties...", "assigning materials...", "reading the potential...",
                              "writing...", "done"}) {
        const std::size_t found = text.find(stage, position);
        ASSERT_NE(found, std::string::npos) << stage << " in\n" << text;
        position = found;
    }
}

}  // namespace
