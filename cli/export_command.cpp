#include "export_command.h"

#include "command_failure.h"
#include "command_output.h"
#include "engine/export_summary_text.h"
#include "engine/readout.h"
#include "progress_display.h"

#include <CLI/CLI.hpp>

#include <exception>
#include <iostream>
#include <string>
#include <vector>

namespace brenwick {

int RunExport(const ExportOptions& options, std::ostream& err, std::ostream* progress) {
    const CommandOutput output(options.output_path);
    if (output.RefuseUnusable(std::cout, err)) return kUsageError;
    std::ostream& info = output.Info(std::cout, std::cerr);
    return ReportFailure("export", options.project_path, err, [&] {
        ReadoutContext context;
        context.reader = options.reader;
        if (output.IsStandardOutput()) context.log = StandardErrorLog();
        context.notices = StandardErrorLog();
        CST_Readout readout(options.project_path, std::move(context));
        if (progress != nullptr) readout.SetProgressListener(ProgressDisplay(*progress));
        readout.material_file = options.materials_path;
        if (options.potential_name) readout.potential_name = *options.potential_name;
        readout.material_quantity = options.density ? kQuantityDensity : kQuantityPermittivity;
        if (output.Destination().IsStandardOutput()) {
            readout.SaveBinaryFileToStandardOutput(options.only_potentials, options.write_property);
        } else {
            readout.SaveBinaryFile(options.output_path, options.only_potentials, options.write_property);
        }
        // The output is in place: a project that cannot be closed now is one warning more.
        std::vector<std::string> warnings = readout.LastExport().warnings;
        try {
            readout.CloseProject();
        } catch (const std::exception& failure) {
            warnings.emplace_back(failure.what());
        }
        const ExportSummary& summary = readout.LastExport();
        info << "Export written to: " << summary.output_path << "\n"
             << ExportOutcome(summary) << "\n"
             << ExportFacts(summary) << std::endl;
        for (const std::string& warning : warnings) err << "Warning: " << warning << std::endl;
        return 0;
    });
}

CLI::App* AddExportCommand(CLI::App& app, ExportOptions& options) {
    CLI::App* command = app.add_subcommand("export", "Export the potential, mesh and materials of a project to an .efm file");
    command->add_option("PROJECT", options.project_path, "Project file (.cst)")->required();
    command->add_option("-o,--output", options.output_path, "Export file to write (.efm); - for standard output")
        ->required();
    command->add_option("-m,--materials", options.materials_path, "Material file (.xml)");
    command->add_option("-p,--potential", options.potential_name,
                        std::string("Project tree path of the potential (default \"") + kDefaultPotentialName + "\")");
    command->add_flag("--only-potentials", options.only_potentials,
                      "Write only the potentials (for weighting fields)");
    command->add_flag("--density", options.density, "Assign element materials by density instead of permittivity");
    command->add_flag("--write-property", options.write_property, "Also write the material property of each element");
    return command;
}

}  // namespace brenwick
