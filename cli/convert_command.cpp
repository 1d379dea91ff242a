#include "convert_command.h"

#include "command_failure.h"
#include "fieldmap/vtk_writer.h"

#include <CLI/CLI.hpp>

namespace brenwick {

int RunConvert(const ConvertOptions& options, std::ostream& out, std::ostream& err) {
    return ReportFailure("convert", options.path, err, [&] {
        RefuseToReplaceInput(options.path, options.output_path);
        efm::FileReader reader(options.path);
        fieldmap::WriteVtr(reader, options.output_path);
        out << "VTK file written to: " << options.output_path << std::endl;
        return 0;
    });
}

CLI::App* AddConvertCommand(CLI::App& app, ConvertOptions& options) {
    CLI::App* command = app.add_subcommand(
        "convert", "Convert an .efm file to a VTK RectilinearGrid file (.vtr) for ParaView, VisIt or PyVista");
    command->add_option("FILE", options.path, "Export file (.efm)")->required();
    command->add_option("-o,--output", options.output_path, "VTK file to write (.vtr)")->required();
    return command;
}

}  // namespace brenwick
