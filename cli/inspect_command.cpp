#include "inspect_command.h"

#include "inspect_report.h"

#include <CLI/CLI.hpp>

namespace brenwick {

int RunInspect(const InspectOptions& options, std::ostream& out) {
    const efm::Report report = efm::InspectFile(options.path);
    out << (options.json ? FormatReportJson(report) + "\n" : FormatReport(options.path, report));
    return report.Valid() ? 0 : 1;
}

CLI::App* AddInspectCommand(CLI::App& app, InspectOptions& options) {
    CLI::App* command = app.add_subcommand("inspect", "Check an .efm file the way Garfield++ reads it");
    command->add_option("FILE", options.path, "Export file to inspect")->required();
    command->add_flag("--json", options.json, "Print one JSON object instead of text");
    return command;
}

}  // namespace brenwick
