#include "make_project_command.h"

#include "command_failure.h"
#include "demo/demo_project.h"
#include "efm/grid.h"
#include "engine/engine_error.h"
#include "engine/project/mesh_geometry.h"
#include "output/output_target.h"

#include <CLI/CLI.hpp>

#include <filesystem>
#include <limits>
#include <new>
#include <stdexcept>
#include <string>

namespace brenwick {

namespace {

namespace fs = std::filesystem;

// The material file written over the project (e.g. a project named "demo.xml") would
// destroy the project just made.
void RefuseSamePaths(const std::string& project_path, const std::string& materials_path) {
    if (SameFile(OutputDestination(materials_path), project_path)) {
        throw std::runtime_error("The material file would overwrite the project file: " + project_path);
    }
}

void Generate(const MakeProjectOptions& options, std::ostream& out) {
    if (options.project_path.empty()) throw std::runtime_error("No project file given.");
    CheckMeshDims(options.mesh);
    const std::string materials_path = MaterialsPathOf(options);
    RefuseSamePaths(options.project_path, materials_path);

    const DemoProject demo = MakeDemoProject(options.mesh);
    WriteProjectFile(options.project_path, demo.contents);
    // A bind mount or a folder that ignores case can make both names one file where their paths
    // differ: the written project shows it.
    RefuseSamePaths(options.project_path, materials_path);
    WriteMaterialFile(materials_path, demo.materials);

    const auto& mesh = options.mesh;
    out << "Wrote demo project " << options.project_path << ": " << mesh[0] << " x " << mesh[1] << " x " << mesh[2]
        << " mesh lines, " << efm::NodeCount(mesh) << " nodes, " << efm::ElementCount(mesh) << " elements.\n"
        << "Wrote material file " << materials_path << ": " << demo.materials.size() << " materials.\n";
}

}  // namespace

std::string MaterialsPathOf(const MakeProjectOptions& options) {
    if (!options.materials_path.empty()) return options.materials_path;
    return fs::path(options.project_path).replace_extension(".xml").string();
}

int RunMakeProject(const MakeProjectOptions& options, std::ostream& out, std::ostream& err) {
    return ReportFailure("make-project", options.project_path, err, [&] {
        try {
            Generate(options, out);
        } catch (const std::bad_alloc&) {
            const auto& mesh = options.mesh;
            throw std::runtime_error("not enough memory for a mesh of " + std::to_string(mesh[0]) + " x " +
                                     std::to_string(mesh[1]) + " x " + std::to_string(mesh[2]) + " lines.");
        } catch (const EngineError& failure) {
            // The writers' words name no operation; the line names the command instead.
            throw std::runtime_error(failure.what());
        }
        return 0;
    });
}

CLI::App* AddMakeProjectCommand(CLI::App& app, MakeProjectOptions& options) {
    CLI::App* command =
        app.add_subcommand("make-project", "Write a demo project (a small gas detector) and its material file.");
    command->add_option("FILE", options.project_path, "Project file to write")->required();
    command->add_option("--materials-out", options.materials_path,
                        "Material file to write (default: FILE with the extension .xml)");
    command->add_option("--mesh", options.mesh, "Mesh lines along x, y and z")
        ->check(CLI::Range(1, std::numeric_limits<int>::max()))
        ->capture_default_str();
    return command;
}

}  // namespace brenwick
