// `brenwick-cli make-project`: writes the demo project and its material file.
#ifndef BRENWICK_MAKE_PROJECT_COMMAND_H
#define BRENWICK_MAKE_PROJECT_COMMAND_H

#include "demo/demo_project.h"

#include <array>
#include <ostream>
#include <string>

namespace CLI {
class App;
}

namespace brenwick {

struct MakeProjectOptions {
    std::string project_path;
    std::string materials_path;  // empty: the project path with its extension replaced by .xml
    std::array<int, 3> mesh = kDemoDefaultMesh;  // mesh lines along x, y, z
};

// The material file path the options stand for.
std::string MaterialsPathOf(const MakeProjectOptions& options);

// Writes the demo project and the material file, reports both on out and returns 0; on a
// failure writes the reason to err and returns 1.
int RunMakeProject(const MakeProjectOptions& options, std::ostream& out, std::ostream& err);

// Adds the subcommand "make-project FILE [--materials-out FILE] [--mesh NX NY NZ]" to app,
// storing what it parses in options (which must outlive the parse).
CLI::App* AddMakeProjectCommand(CLI::App& app, MakeProjectOptions& options);

}  // namespace brenwick

#endif
