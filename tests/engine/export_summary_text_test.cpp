// What the front ends say of a successful export.
#include "engine/export_summary_text.h"

#include <gtest/gtest.h>

using namespace brenwick;

namespace {

ExportSummary MaterialExport() {
    ExportSummary summary;
    summary.project_path = "/data/chamber.cst";
    summary.output_path = "/data/chamber.efm";
    summary.file_size = 3 * 1024 * 1024 + 512 * 1024;
    summary.nodes = 39237;
    summary.elements = 35840;
    summary.material_path = "/data/materials.xml";
    summary.by_density = true;
    summary.material_property = true;
    summary.records = {{0, "gas", 1, 1, 0}, {1, "FR4 readout board", 4.4f, 1, 1.85f}};
    summary.elements_per_byte[0] = 30000;
    summary.elements_per_byte[1] = 5800;
    summary.elements_per_byte[7] = 40;  // no record: the warnings speak of it
    summary.warnings = {"40 elements have a material byte that is no index into the 2 material records"};
    return summary;
}

TEST(ExportSummaryText, NamesTheOutcomeFilesOptionsSizesElementsPerRecordAndWarnings) {
    EXPECT_EQ(ExportSummaryText(MaterialExport()),
              "done, with 1 warning: 40 elements have a material byte that is no index into the 2 material records\n"
              "Project: /data/chamber.cst\n"
              "Material file: /data/materials.xml\n"
              "Options: element materials by density, material property written\n"
              "Written: /data/chamber.efm, 3670016 bytes (3.5 MiB)\n"
              "Mesh: 39237 nodes, 35840 elements\n"
              "Elements per material record:\n"
              "  0 gas: 30000\n"
              "  1 FR4 readout board: 5800\n"
              "Warning: 40 elements have a material byte that is no index into the 2 material records");
}

TEST(ExportSummaryText, PotentialsOnlyHaveNoMaterialsAndSmallSizesNoUnit) {
    ExportSummary summary;
    summary.project_path = "a.cst";
    summary.output_path = "w.efm";
    summary.file_size = 1023;
    summary.nodes = 27;
    summary.elements = 8;
    summary.only_potentials = true;

    EXPECT_EQ(
        ExportSummaryText(summary),
        "done!\nProject: a.cst\nOptions: only potentials\nWritten: w.efm, 1023 bytes\nMesh: 27 nodes, 8 elements\n"
        "Only potentials: no mesh lines and no element materials.");
}

TEST(ExportSummaryText, TheOutcomeCountsTheWarningsAndTheNotesComeFirstAmongTheFacts) {
    ExportSummary summary = MaterialExport();
    summary.by_density = summary.material_property = false;
    summary.notes = {"The project file changed since it was opened; it was opened again."};
    summary.warnings = {"first", "second"};
    const std::string text = ExportSummaryText(summary);
    EXPECT_TRUE(text.starts_with("done, with 2 warnings; the first: first\n" + summary.notes.front() +
                                 "\nProject: /data/chamber.cst\nMaterial file: /data/materials.xml\n"
                                 "Options: element materials by permittivity, material property not written\n"))
        << text;
    EXPECT_TRUE(text.ends_with("\nWarning: first\nWarning: second")) << text;
}

}  // namespace
