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

// The options that stand before any subcommand.
struct ProgramOptions {
    bool show_version = false;
    std::optional<std::string> reader_library;
    unsigned threads = 0;
};

// What the subcommands were given; the command table's runs refer to it.
struct CommandOptions {
    ExportOptions export_options;
    InspectOptions inspect_options;
    ConvertOptions convert_options;
    ProbeOptions probe_options;
#if defined(BRENWICK_HAS_HDF5)
    MakeProjectOptions make_project_options;
#endif
#if defined(BRENWICK_HAS_QT)
    PreviewOptions preview_options;
#endif
};

void AddProgramOptions(CLI::App& app, ProgramOptions& options) {
    // Not CLI11's own version flag: the reader is chosen only once --reader is parsed.
    app.require_subcommand(0, 1);
    // CLI11 reads "/name" as an option on Windows, where it is also a path from the drive's root.
    app.allow_windows_style_options(false);
    app.add_flag("--version", options.show_version,
                 "Show the program's version and the result reader it uses, then exit");
    app.add_option("--reader", options.reader_library,
                   std::string("Result reader library that opens projects (default: ") + kReaderVariable +
                       ", else the built-in reader)");
    app.add_option("--threads", options.threads,
                   "Threads for the element computations (default: BRENWICK_THREADS or all cores)")
        ->check(CLI::Range(1u, 1024u));
}

// The command table: every subcommand, in the order the help lists them, export first.
std::vector<Command> AddCommands(CLI::App& app, CommandOptions& o) {
    std::vector<Command> commands{
        {AddExportCommand(app, o.export_options),
         [&o] { return RunExport(o.export_options, std::cerr, IsTerminal(stderr) ? &std::cerr : nullptr); }},
        {AddInspectCommand(app, o.inspect_options),
         [&o] { return CheckWritten("inspect", RunInspect(o.inspect_options, std::cout), std::cout, std::cerr); }},
    };
#if defined(BRENWICK_HAS_HDF5)
    commands.push_back({AddMakeProjectCommand(app, o.make_project_options),
                        [&o] { return RunMakeProject(o.make_project_options, std::cout, std::cerr); }});
#else
    commands.push_back({AddUnavailableCommand(app, "make-project", "HDF5"),
                        [] { return RunUnavailable("make-project", "HDF5", std::cerr); }});
#endif
#if defined(BRENWICK_HAS_QT)
    commands.push_back({AddPreviewCommand(app, o.preview_options),
                        [&o] { return RunPreview(o.preview_options, std::cout, std::cerr); }});
#else
    commands.push_back(
        {AddUnavailableCommand(app, "preview", "Qt"), [] { return RunUnavailable("preview", "Qt", std::cerr); }});
#endif
    commands.push_back({AddConvertCommand(app, o.convert_options),
                        [&o] { return RunConvert(o.convert_options, std::cout, std::cerr); }});
    commands.push_back({AddProbeCommand(app, o.probe_options), [&o] {
                            return CheckWritten("probe", RunProbe(o.probe_options, std::cout, std::cerr), std::cout,
                                                std::cerr);
                        }});
    return commands;
}

// Parses the command line; the status to end with when the run ends here (help, a usage error).
std::optional<int> Parse(CLI::App& app, Utf8Arguments& arguments, const ProgramOptions& options) {
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
    if (!options.show_version && app.get_subcommands().empty()) {
        app.exit(CLI::RequiredError("A subcommand"));
        return kUsageError;
    }
    return std::nullopt;
}

// Only what opens a project needs the reader; a library that cannot be used ends the run
// before any project is touched. The status to end with then, else 0.
int ChooseReaderFor(const ProgramOptions& options, const Command& export_command, ExportOptions& export_options) {
    if (!options.show_version && !export_command.subcommand->parsed()) return 0;
    return ReportFailure("brenwick-cli", "", std::cerr, [&] {
        export_options.reader = ChooseReader(options.reader_library);
        return 0;
    });
}

}  // namespace

int main(int argc, char** argv) {
    PrepareProcessSignals();
    ReportProgramEndInReaderCalls();
    UseUtf8Console();
    Utf8Arguments arguments(argc, argv);
    CLI::App app{"Brenwick: exports the potential of a field simulation project to the .efm field map of Garfield++"};
    ProgramOptions options;
    AddProgramOptions(app, options);
    CommandOptions command_options;
    const std::vector<Command> commands = AddCommands(app, command_options);

    if (const std::optional<int> status = Parse(app, arguments, options)) return *status;
    SetWorkerCount(options.threads);
    if (const int status = ChooseReaderFor(options, commands.front(), command_options.export_options); status != 0) {
        return status;
    }
    if (options.show_version) {
        std::cout << "brenwick-cli " << BRENWICK_VERSION << "\n"
                  << DescribeReader(*command_options.export_options.reader) << std::endl;
        return 0;
    }
    for (const Command& command : commands) {
        if (command.subcommand->parsed()) return command.run();
    }
    return kUsageError;
}
