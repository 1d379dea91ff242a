// Fuzz target: projects whose every object, type, length and value the input decides, read by
// the built-in reader and exported by the engine like `brenwick-cli export` does.
//
// Whatever the project holds, the export either fails with an exception derived from
// std::exception or writes a file that `brenwick-cli inspect` finds well-formed; a failed
// export leaves no file behind, no export changes its inputs, and every HDF5 object is closed.
#include "efm/inspection.h"
#include "fuzz_support.h"
#include "hdf5_handles.h"
#include "parallel.h"
#include "project_recipe.h"
#include "readout.h"

#include <array>
#include <cstdint>
#include <exception>
#include <filesystem>
#include <set>
#include <string>
#include <vector>

using namespace brenwick;

namespace {

constexpr const char* kCatalogue = R"(<?xml version="1.0"?>
<Materials Count="3">
  <Material ID="0" description="gas" eps="1" mue="1" rho="0.0012" rho_set="1"/>
  <Material ID="1" description="board" eps="4" mue="1" rho="1850" rho_set="3"/>
  <Material ID="2" description="ceramic" eps="12" mue="1" rho="3900" rho_set="5"/>
</Materials>
)";

struct Workspace {
    ScratchDir dir{"project-fuzz"};
    std::string project = dir.File("project.cst");
    std::string materials = dir.File("materials.xml");
    std::string output = dir.File("field.efm");
    std::vector<std::uint8_t> material_bytes;

    Workspace() {
        const std::string text = kCatalogue;
        material_bytes.assign(text.begin(), text.end());
        WriteFileBytes(materials, material_bytes.data(), material_bytes.size());
    }
};

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
    const std::array<int, 3> dims = readout.MeshDims();
    FuzzCheck(report.header->MeshDims() == dims,
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
    CST_Readout readout(workspace.project);
    readout.material_file = workspace.materials;
    readout.material_quantity = (options & 1) != 0 ? 3 : 0;
    // Each step on its own first, then the whole export, which repeats them.
    Attempt([&] { readout.RetrieveFieldData(readout.potential_name); });
    Attempt([&] { readout.AssignElementMaterials(); });
    SaveAndCheck(workspace, readout, only_potentials, write_property);
    if ((options & 8) != 0) {
        // A second export on the same engine in the other mode, as the dialog allows.
        readout.material_quantity = 3 - readout.material_quantity;
        SaveAndCheck(workspace, readout, only_potentials, write_property);
    }
    readout.CloseProject();
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int* /*argc*/, char*** /*argv*/) {
    SilenceStandardOutput();
    SetWorkerCount(1);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const ProjectRecipe recipe = DecodeRecipe<ProjectRecipe>(data, size);
    const Workspace& workspace = TheWorkspace();
    if (!WriteRecipeProject(workspace.project, recipe)) return 0;
    const std::vector<std::uint8_t> project_bytes = ReadFileBytes(workspace.project);

    Attempt([&] { Export(workspace, recipe.export_options); });

    FuzzCheck(ReadFileBytes(workspace.project) == project_bytes, "the export changed the project file");
    FuzzCheck(ReadFileBytes(workspace.materials) == workspace.material_bytes, "the export changed the material file");
    FuzzCheck(workspace.dir.Entries() == std::set<std::string>{"project.cst", "materials.xml"},
              "the export left a file behind");
    // An HDF5 object left open would hold its memory and the file's lock for the life of the
    // program, beyond the sight of the leak checker.
    FuzzCheck(H5Fget_obj_count(H5F_OBJ_ALL, H5F_OBJ_ALL) == 0, "an HDF5 object stayed open");
    return 0;
}
