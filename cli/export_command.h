// `brenwick-cli export`: one export with the same engine and messages as the dialog.
#ifndef BRENWICK_EXPORT_COMMAND_H
#define BRENWICK_EXPORT_COMMAND_H

#include "engine/reader/reader_functions.h"

#include <memory>
#include <optional>
#include <ostream>
#include <string>

namespace CLI {
class App;
}

namespace brenwick {

struct ExportOptions {
    std::string project_path;
    std::string output_path;                    // as CommandOutput takes it
    std::string materials_path;                 // empty: no material file
    std::optional<std::string> potential_name;  // absent: the engine's default tree path
    bool only_potentials = false;
    bool density = false;
    bool write_property = false;
    std::shared_ptr<const ResultReader> reader;  // null: the reader linked into the program
};

// Returns the exit status: 0 written ("Export written to:" and the summary of the export, its
// outcome above its facts, on standard output; warnings about the written file, and a project
// that could not be closed afterwards, on `err`), 1 failed (the engine's text on `err`), 2 for
// an output that is a terminal or standard error's file. With `progress`, each stage of the export is reported there as
// it begins. While the export goes to standard output, the engine's lines, "Export written to:" and the summary go to
// standard error; a wait for a FIFO's reader is told there too.
int RunExport(const ExportOptions& options, std::ostream& err, std::ostream* progress = nullptr);

// Adds the subcommand "export" to app, storing what it parses in options (which must outlive the parse).
CLI::App* AddExportCommand(CLI::App& app, ExportOptions& options);

}  // namespace brenwick

#endif
