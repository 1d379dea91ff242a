// `brenwick-cli preview`: a picture of one slice of an export file, its element materials and
// its potential side by side.
#ifndef BRENWICK_PREVIEW_COMMAND_H
#define BRENWICK_PREVIEW_COMMAND_H

#include "preview_module.h"

#include <array>
#include <optional>
#include <ostream>
#include <string>

namespace CLI {
class App;
}

namespace brenwick {

struct PreviewOptions {
    std::string path;
    std::string output_path;
    std::string axis = "z";
    std::optional<double> at;  // the plane nearest to this coordinate
    std::optional<int> index;  // the plane at this line index
    std::string size;          // "WIDTHxHEIGHT"; empty: the default size
};

// The width and height of a size text "WIDTHxHEIGHT" within the sizes a picture may have.
std::optional<std::array<int, 2>> ParsePictureSize(const std::string& text);

// Writes the PNG picture, says so on `out` and returns 0; a failure goes to `err` with status 1,
// an output that is a terminal or standard error's file with status 2. The output is taken as
// CommandOutput (command_output.h) says: while it is standard output, the line goes to `err`.
// The slice is painted by `paint`, by default that of the painting module, which is loaded the
// first time (preview_module.h; a sanitized build links the painting in); a module that cannot be
// loaded is a failure.
int RunPreview(const PreviewOptions& options, std::ostream& out, std::ostream& err, SlicePainting paint = nullptr);

// Adds the subcommand "preview FILE --output PNG [--axis x|y|z] [--at COORD | --index I]
// [--size WxH]" to app.
CLI::App* AddPreviewCommand(CLI::App& app, PreviewOptions& options);

}  // namespace brenwick

#endif
