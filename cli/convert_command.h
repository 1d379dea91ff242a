// `brenwick-cli convert`: an export file as a VTK file for ParaView, VisIt and PyVista.
#ifndef BRENWICK_CONVERT_COMMAND_H
#define BRENWICK_CONVERT_COMMAND_H

#include <ostream>
#include <string>

namespace CLI {
class App;
}

namespace brenwick {

struct ConvertOptions {
    std::string path;
    std::string output_path;
};

// Writes the .vtr file, says so on `out` and returns 0; a failure goes to `err` with status 1,
// an output that is a terminal or standard error's file with status 2. The output is taken as
// CommandOutput (command_output.h) says: while it is standard output, the line goes to `err`.
int RunConvert(const ConvertOptions& options, std::ostream& out, std::ostream& err);

// Adds the subcommand "convert FILE --output OUT.vtr" to app.
CLI::App* AddConvertCommand(CLI::App& app, ConvertOptions& options);

}  // namespace brenwick

#endif
