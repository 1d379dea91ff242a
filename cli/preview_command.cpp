#include "preview_command.h"

#include "command_failure.h"
#include "command_output.h"
#include "efm/format.h"
#include "efm/reader.h"
#include "output/output_file.h"
#include "preview_module.h"
#include "render/picture_sizes.h"

#include <CLI/CLI.hpp>

#if defined(BRENWICK_PREVIEW_LINKED)
#include "preview_painting.h"
#else
#include "engine/engine_error.h"
#include "engine/reader/shared_library.h"

#include <dlfcn.h>
#endif

#include <exception>
#include <filesystem>
#include <iostream>
#include <optional>
#include <regex>
#include <stdexcept>
#include <string>
#include <system_error>
#include <vector>

namespace brenwick {

namespace {

std::vector<std::string> AxisLetters() {
    std::vector<std::string> letters;
    for (const efm::Axis axis : efm::kAxes) letters.emplace_back(1, efm::AxisLetter(axis));
    return letters;
}

efm::Axis AxisOf(const std::string& name) {
    if (const std::optional<efm::Axis> axis = efm::AxisOfLetter(name)) return *axis;
    throw std::invalid_argument("the axis must be x, y or z, not \"" + name + "\"");
}

#if defined(BRENWICK_PREVIEW_LINKED)
SlicePainting DefaultPainting() { return &PaintSlice; }
#else
// Where the painting module is: beside the program in the build folder, in Brenwick's library
// folder once installed. The first that exists; the installed place when none does.
std::filesystem::path PreviewModulePath() {
    std::error_code error;
    const std::filesystem::path program = std::filesystem::read_symlink("/proc/self/exe", error);
    const std::filesystem::path beside = program.parent_path() / kPreviewModuleName;
    const std::filesystem::path installed = program.parent_path() / BRENWICK_PREVIEW_MODULE_FROM_PROGRAM;
    return std::filesystem::exists(beside, error) ? beside : installed.lexically_normal();
}

// The painting of the module, which is loaded once and stays for the process's life: Qt keeps
// threads of its own after a picture, which must never meet unloaded code. Throws
// std::runtime_error when the module cannot be loaded.
SlicePainting DefaultPainting() {
    static std::optional<SharedLibrary> module;
    const std::filesystem::path path = PreviewModulePath();
    if (!module) {
        try {
            module.emplace(path);
        } catch (const ReaderError& failure) {
            throw std::runtime_error("cannot load the painting module " + path.string() + ": " + failure.what());
        }
        if (void* pinned = dlopen(path.c_str(), RTLD_NOW | RTLD_NOLOAD | RTLD_NODELETE)) dlclose(pinned);
    }
    const auto paint = reinterpret_cast<SlicePainting>(module->Symbol(kPreviewEntryName));
    if (paint == nullptr) {
        throw std::runtime_error("the painting module " + path.string() + " has no " + kPreviewEntryName);
    }
    return paint;
}
#endif

}  // namespace

std::optional<std::array<int, 2>> ParsePictureSize(const std::string& text) {
    static const std::regex pattern("([0-9]{1,5})x([0-9]{1,5})");
    std::smatch match;
    if (!std::regex_match(text, match, pattern)) return std::nullopt;
    const std::array<int, 2> size{std::stoi(match[1]), std::stoi(match[2])};
    const render::PixelSize smallest = render::kSmallestPicture;
    const render::PixelSize largest = render::kLargestPicture;
    if (size[0] < smallest.width || size[1] < smallest.height || size[0] > largest.width || size[1] > largest.height) {
        return std::nullopt;
    }
    return size;
}

int RunPreview(const PreviewOptions& options, std::ostream& out, std::ostream& err, SlicePainting paint) {
    const CommandOutput output(options.output_path);
    if (output.RefuseUnusable(out, err)) return kUsageError;
    return ReportFailure("preview", options.path, err, [&] {
        RefuseToReplaceInput(options.path, output.Destination());
        efm::FileReader reader(options.path);
        const fieldmap::Slice slice = fieldmap::ReadSlice(reader, {AxisOf(options.axis), options.at, options.index});
        std::string png;
        std::exception_ptr failure;
        (paint != nullptr ? paint : DefaultPainting())(slice, std::filesystem::path(options.path).filename().string(),
                                                       options.size, png, failure);
        if (failure) std::rethrow_exception(failure);
        // The picture is written as every output of the program is.
        OutputFile file(output.Destination(), {}, NoticesTo(err));
        file.Write(png.data(), png.size());
        file.Commit();
        output.Info(out, err) << "Picture written to: " << output.Destination().Name() << std::endl;
        return 0;
    });
}

CLI::App* AddPreviewCommand(CLI::App& app, PreviewOptions& options) {
    CLI::App* command = app.add_subcommand(
        "preview", "Draw one slice of an .efm file to a PNG picture: element materials and potential side by side");
    command->add_option("FILE", options.path, "Export file (.efm)")->required();
    command->add_option("-o,--output", options.output_path, "Picture to write (.png); - for standard output")
        ->required();
    command->add_option("--axis", options.axis, "Axis across which the slice lies")
        ->check(CLI::IsMember(AxisLetters()))
        ->capture_default_str();
    CLI::Option* at = command->add_option(
        "--at", options.at, "Coordinate along the axis: the nearest plane of nodes (default: the middle one)");
    CLI::Option* index = command->add_option("--index", options.index, "Line index of the plane along the axis");
    at->excludes(index);
    const auto size_text = [](render::PixelSize size) {
        return std::to_string(size.width) + "x" + std::to_string(size.height);
    };
    const std::string size_error = "expected WIDTHxHEIGHT from " + size_text(render::kSmallestPicture) + " to " +
                                   size_text(render::kLargestPicture);
    command
        ->add_option("--size", options.size,
                     "Picture size in pixels, WIDTHxHEIGHT (default " + std::to_string(render::kDefaultPictureWidth) +
                         " wide, as tall as the slice's shape asks)")
        ->check(CLI::Validator(
            [size_error](std::string& text) { return ParsePictureSize(text) ? std::string() : size_error; }, "WxH"));
    return command;
}

}  // namespace brenwick
