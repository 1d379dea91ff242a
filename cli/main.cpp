// brenwick-cli: the export engine for scripts and batch work.
#include "brenwick_version.h"
#include "command_failure.h"
#include "convert_command.h"
#include "engine/reader/reader_call.h"
#include "engine/reader/reader_library.h"
#include "engine/support/parallel.h"
#include "export_command.h"
#include "inspect_command.h"
#include "output/process_signals.h"
#include "platform/utf8_process.h"
#include "probe_command.h"
#include "terminal.h"
#include "unavailable_command.h"
#if defined(BRENWICK_HAS_HDF5)
#include "make_project_command.h"
#endif
#if defined(BRENWICK_HAS_QT)
#include "preview_command.h"
#endif

#include <CLI/CLI.hpp>

#include <functional>
#include <iostream>
#include <optional>
#include <string>
#include <vector>

using namespace brenwick;

namespace {

// A subcommand and what runs it once it is parsed.
struct Command {
    CLI::App* subcommand;
    std::function<int()> run;
};

}  // namespace

int main(int argc, char** argv) {
    PrepareProcessSignals();
    ReportProgramEndInReaderCalls();
    UseUtf8Console();
    Utf8Arguments arguments(argc, argv);
    CLI::App app{"Brenwick: exports the potential of a field simulation project to the .efm field map of Garfield++"};
    // Not CLI11's own version flag: the reader is chosen only once --reader is parsed.
    app.require_subcommand(0, 1);
    // CLI11 reads "/name" as an option on Windows, where it is also a path from the drive's root.
    app.allow_windows_style_options(false);
    bool show_version = false;
    app.add_flag("--version", show_version, "Show the program's version and the result reader it uses, then exit");
    std::optional<std::string> reader_library;
    app.add_option("--reader", reader_library,
                   std::string("Result reader library that opens projects (default: ") + kReaderVariable +
                       ", else the built-in reader)");
    unsigned threads = 0;
    app.add_option("--threads", threads,
                   "Threads for the element computations (default: BRENWICK_THREADS or all cores)")
        ->check(CLI::Range(1u, 1024u));

    ExportOptions export_options;
    InspectOptions inspect_options;
    ConvertOptions convert_options;
    ProbeOptions probe_options;
    CLI::App* export_command = AddExportCommand(app, export_options);
    std::vector<Command> commands{
        {export_command,
         [&] { return RunExport(export_options, std::cerr, IsTerminal(stderr) ? &std::cerr : nullptr); }},
        {AddInspectCommand(app, inspect_options),
         [&] { return CheckWritten("inspect", RunInspect(inspect_options, std::cout), std::cout, std::cerr); }},
    };
#if defined(BRENWICK_HAS_HDF5)
    MakeProjectOptions make_project_options;
    commands.push_back({AddMakeProjectCommand(app, make_project_options),
                        [&] { return RunMakeProject(make_project_options, std::cout, std::cerr); }});
#else
    commands.push_back({AddUnavailableCommand(app, "make-project", "HDF5"),
                        [] { return RunUnavailable("make-project", "HDF5", std::cerr); }});
#endif
#if defined(BRENWICK_HAS_QT)
    PreviewOptions preview_options;
    commands.push_back(
        {AddPreviewCommand(app, preview_options), [&] { return RunPreview(preview_options, std::cout, std::cerr); }});
#else
    commands.push_back(
        {AddUnavailableCommand(app, "preview", "Qt"), [] { return RunUnavailable("preview", "Qt", std::cerr); }});
#endif
    commands.push_back(
        {AddConvertCommand(app, convert_options), [&] { return RunConvert(convert_options, std::cout, std::cerr); }});
    commands.push_back(
        {AddProbeCommand(app, probe_options),
         [&] { return CheckWritten("probe", RunProbe(probe_options, std::cout, std::cerr), std::cout, std::cerr); }});

    try {
        app.parse(arguments.Count(), arguments.Values());
    } catch (const CLI::CallForHelp& request) {
        return app.exit(request);
    } catch (const CLI::CallForAllHelp& request) {
        return app.exit(request);
    } catch (const CLI::ParseError& error) {
        app.exit(error);
        return kUsageError;
    }
    if (!show_version && app.get_subcommands().empty()) {
        app.exit(CLI::RequiredError("A subcommand"));
        return kUsageError;
    }
    SetWorkerCount(threads);

    // Only what opens a project needs the reader; a library that cannot be used ends the run
    // before any project is touched.
    if (show_version || export_command->parsed()) {
        const int status = ReportFailure("brenwick-cli", "", std::cerr, [&] {
            export_options.reader = ChooseReader(reader_library);
            return 0;
        });
        if (status != 0) return status;
    }
    if (show_version) {
        std::cout << "brenwick-cli " << BRENWICK_VERSION << "\n" << DescribeReader(*export_options.reader) << std::endl;
        return 0;
    }
    for (const Command& command : commands) {
        if (command.subcommand->parsed()) return command.run();
    }
    return kUsageError;
}
