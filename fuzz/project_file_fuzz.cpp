// Fuzz target: projects whose every object, type, length and value the input decides, read by
// the built-in reader and exported by the engine like `brenwick-cli export` does.
//
// Whatever the project holds, the export either fails with an exception derived from
// std::exception or writes a file that `brenwick-cli inspect` finds well-formed; a failed
// export leaves no file behind, no export changes its inputs, and every HDF5 object is closed.
#include "efm/grid.h"
#include "efm/inspection.h"
#include "engine/readout.h"
#include "engine/support/parallel.h"
#include "fuzz_support.h"
#include "project_recipe.h"
#include "readers/hdf5/hdf5_handles.h"
#include "tests/support/test_files.h"

#include <array>
#include <cstdint>
#include <exception>
#include <filesystem>
#include <set>
#include <string>
#include <vector>

using namespace brenwick;

namespace {

struct Workspace {
    test_files::TempDir dir;
    std::string project = dir / "project.cst";
    std::string materials = dir / "materials.xml";
    std::string output = dir / "field.efm";
    std::vector<std::uint8_t> material_bytes;

    Workspace() {
        WriteMaterialFile(materials,
                          {{0, 1, 1, 0.0012f, 1, "gas"}, {1, 4, 1, 1850, 3, "board"}, {2, 12, 1, 3900, 5, "ceramic"}});
        material_bytes = test_files::ReadBytes(materials);
    }
};

// The engine's informational lines cost time and say nothing to a fuzzer.
ReadoutContext Quiet() {
    ReadoutContext context;
    context.log = [](const std::string&) {};
    return context;
}

Workspace& TheWorkspace() {
    static Workspace workspace;
    return workspace;
}

// Runs step; an exception of the engine is an expected outcome, so it only reports whether
// step finished.
template <typename Step>
bool Attempt(Step step) {
    try {
        step();
        return true;
    } catch (const std::exception&) {
        return false;
    }
}

void CheckWrittenFile(const Workspace& workspace, const CST_Readout& readout) {
    const efm::Report report = efm::InspectFile(workspace.output);
    std::string problems;
    for (const std::string& problem : report.problems) problems += "\n  " + problem;
    FuzzCheck(report.Valid(), "the export file is malformed:" + problems);
    const ExportSummary& exported = readout.LastExport();
    FuzzCheck(efm::NodeCount(report.header->MeshDims()) == exported.nodes &&
                  efm::ElementCount(report.header->MeshDims()) == exported.elements,
              "the export file's mesh size differs from the project's");
    for (const std::string& warning : report.warnings) {
        FuzzCheck(warning.find("not strictly increasing") == std::string::npos, "exported " + warning);
    }
}

// One export through the engine; a written file is checked and removed again.
void SaveAndCheck(const Workspace& workspace, CST_Readout& readout, bool only_potentials, bool write_property) {
    if (Attempt([&] { readout.SaveBinaryFile(workspace.output, only_potentials, write_property); })) {
        CheckWrittenFile(workspace, readout);
        std::filesystem::remove(workspace.output);
    }
}

void Export(const Workspace& workspace, std::uint8_t options) {
    const bool only_potentials = (options & 2) != 0;
    const bool write_property = (options & 4) != 0;
    CST_Readout readout(workspace.project, Quiet());
    readout.material_file = workspace.materials;
    readout.material_quantity = (options & 1) != 0 ? kQuantityDensity : kQuantityPermittivity;
    // Each step on its own first, then the whole export, which repeats them.
    Attempt([&] { readout.RetrieveFieldData(readout.potential_name); });
    Attempt([&] { readout.AssignElementMaterials(); });
    SaveAndCheck(workspace, readout, only_potentials, write_property);
    if ((options & 8) != 0) {
        // A second export on the same engine in the other mode, as the dialog allows.
        readout.material_quantity =
            readout.material_quantity == kQuantityDensity ? kQuantityPermittivity : kQuantityDensity;
        SaveAndCheck(workspace, readout, only_potentials, write_property);
    }
    readout.CloseProject();
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int* /*argc*/, char*** /*argv*/) {
    SetWorkerCount(1);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const ProjectRecipe recipe = DecodeRecipe<ProjectRecipe>(data, size);
    const Workspace& workspace = TheWorkspace();
    if (!WriteRecipeProject(workspace.project, recipe)) return 0;
    const std::vector<std::uint8_t> project_bytes = test_files::ReadBytes(workspace.project);

    Attempt([&] { Export(workspace, recipe.export_options); });

    FuzzCheck(test_files::ReadBytes(workspace.project) == project_bytes, "the export changed the project file");
    FuzzCheck(test_files::ReadBytes(workspace.materials) == workspace.material_bytes,
              "the export changed the material file");
    FuzzCheck(workspace.dir.Entries() == std::set<std::string>{"project.cst", "materials.xml"},
              "the export left a file behind");
    // An HDF5 object left open would hold its memory and the file's lock for the life of the
    // program, beyond the sight of the leak checker.
    FuzzCheck(H5Fget_obj_count(H5F_OBJ_ALL, H5F_OBJ_ALL) == 0, "an HDF5 object stayed open");
    return 0;
}
