// brenwick-cli: the export engine for scripts and batch work.
#include "brenwick_version.h"
#include "export_command.h"
#include "file_size_signal.h"
#include "inspect_command.h"
#include "make_project.h"
#include "parallel.h"
#include "terminal.h"

#include <CLI/CLI.hpp>

#include <iostream>

using namespace brenwick;

namespace {

constexpr int usage_error = 2;

}  // namespace

int main(int argc, char** argv) {
    IgnoreFileSizeSignal();
    CLI::App app{"Brenwick: exports the potential of a field simulation project to the .efm field map of Garfield++"};
    app.require_subcommand(1);
    app.set_version_flag("--version", std::string("brenwick-cli ") + BRENWICK_VERSION);
    unsigned threads = 0;
    app.add_option("--threads", threads, "Threads for the element computations (default: BRENWICK_THREADS or all cores)")
        ->check(CLI::Range(1u, 1024u));

    ExportOptions export_options;
    InspectOptions inspect_options;
    MakeProjectOptions make_project_options;
    CLI::App* export_command = AddExportCommand(app, export_options);
    CLI::App* inspect_command = AddInspectCommand(app, inspect_options);
    CLI::App* make_project_command = AddMakeProjectCommand(app, make_project_options);

    try {
        app.parse(argc, argv);
    } catch (const CLI::CallForHelp& request) {
        return app.exit(request);
    } catch (const CLI::CallForAllHelp& request) {
        return app.exit(request);
    } catch (const CLI::CallForVersion& request) {
        return app.exit(request);
    } catch (const CLI::ParseError& error) {
        app.exit(error);
        return usage_error;
    }
    SetWorkerCount(threads);

    if (export_command->parsed()) {
        return RunExport(export_options, std::cerr, IsTerminal(stderr) ? &std::cerr : nullptr);
    }
    if (inspect_command->parsed()) return RunInspect(inspect_options, std::cout);
    if (make_project_command->parsed()) return RunMakeProject(make_project_options, std::cout, std::cerr);
    return usage_error;
}
