// The whole road: make-project writes the demo detector, export writes its field map, and the
// file holds exactly what the generator placed in the project.
#include "cli/export_command.h"
#include "cli/make_project_command.h"
#include "efm/inspection.h"
#include "tests/support/demo_export.h"
#include "tests/support/test_files.h"

#include <gtest/gtest.h>

#include <sstream>

using namespace brenwick;

namespace {

using test_files::TempDir;

// Expects the export to hold every block of the demo's expected export; element properties,
// which the demo does not foresee, are left aside.
void ExpectTheDemoExport(const test_efm::MapContents& written, const test_efm::MapContents& demo) {
    EXPECT_EQ(written.dims, demo.dims);
    EXPECT_EQ(written.x, demo.x);
    EXPECT_EQ(written.y, demo.y);
    EXPECT_EQ(written.z, demo.z);
    EXPECT_EQ(written.nodes, demo.nodes);
    EXPECT_EQ(written.bytes, demo.bytes);
    ASSERT_EQ(written.records.size(), demo.records.size());
    for (std::size_t r = 0; r < demo.records.size(); ++r) {
        const efm::MaterialRecord& a = written.records[r];
        const efm::MaterialRecord& b = demo.records[r];
        EXPECT_TRUE(a.id == b.id && a.description == b.description && a.eps == b.eps && a.mue == b.mue && a.rho == b.rho)
            << "record " << r;
    }
}

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
        ExpectTheDemoExport(test_efm::Read(output), test_efm::DemoExport(mesh));
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
