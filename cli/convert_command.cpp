#include "convert_command.h"

#include "command_failure.h"
#include "command_output.h"
#include "fieldmap/vtk_writer.h"

#include <CLI/CLI.hpp>

namespace brenwick {

int RunConvert(const ConvertOptions& options, std::ostream& out, std::ostream& err) {
    const CommandOutput output(options.output_path);
    if (output.RefuseUnusable(out, err)) return kUsageError;
    return ReportFailure("convert", options.path, err, [&] {
        RefuseToReplaceInput(options.path, output.Destination());
        efm::FileReader reader(options.path);
        fieldmap::WriteVtr(reader, output.Destination(), NoticesTo(err));
        output.Info(out, err) << "VTK file written to: " << output.Destination().Name() << std::endl;
        return 0;
    });
}

CLI::App* AddConvertCommand(CLI::App& app, ConvertOptions& options) {
    CLI::App* command = app.add_subcommand(
        "convert", "Convert an .efm file to a VTK RectilinearGrid file (.vtr) for ParaView, VisIt or PyVista");
    command->add_option("FILE", options.path, "Export file (.efm)")->required();
    command->add_option("-o,--output", options.output_path, "VTK file to write (.vtr); - for standard output")
        ->required();
    return command;
}

}  // namespace brenwick
