#include "preview_command.h"

#include "command_failure.h"
#include "command_output.h"
#include "fieldmap/slice.h"
#include "output/output_file.h"
#include "render/painting_threads.h"
#include "render/slice_picture.h"

#include <CLI/CLI.hpp>
#include <QBuffer>
#include <QByteArray>
#include <QGuiApplication>

#include <filesystem>
#include <iostream>
#include <memory>
#include <optional>
#include <regex>
#include <stdexcept>
#include <string>
#include <vector>

namespace brenwick {

namespace {

// Qt's notes about its own set-up (a missing runtime directory and the like) say nothing about
// the picture; only its errors reach the user.
void ShowOnlyQtErrors(QtMsgType type, const QMessageLogContext&, const QString& message) {
    if (type == QtCriticalMsg || type == QtFatalMsg) std::cerr << message.toStdString() << std::endl;
}

// Painting text needs a QGuiApplication, and a command line may run without a display. It draws
// into an image only, so it always takes the offscreen platform, whatever QT_QPA_PLATFORM says:
// a platform that cannot start (no display, a name Qt lacks) would end the program. Only preview
// makes one, so the other commands never touch Qt.
class GuiSession {
public:
    GuiSession() {
        if (QGuiApplication::instance() != nullptr) return;
        previous_handler_ = qInstallMessageHandler(ShowOnlyQtErrors);
        application_ = std::make_unique<QGuiApplication>(argc_, argv_);
    }
    ~GuiSession() {
        if (!application_) return;
        application_.reset();
        qInstallMessageHandler(previous_handler_);
    }
    GuiSession(const GuiSession&) = delete;
    GuiSession& operator=(const GuiSession&) = delete;

private:
    QtMessageHandler previous_handler_ = nullptr;
    // An option, which wins over QT_QPA_PLATFORM, so that the environment stays as it was.
    char name_[13] = "brenwick-cli";
    char platform_option_[10] = "-platform";
    char platform_[10] = "offscreen";
    char* argv_[4] = {name_, platform_option_, platform_, nullptr};
    int argc_ = 3;
    std::unique_ptr<QGuiApplication> application_;
};

std::vector<std::string> AxisLetters() {
    std::vector<std::string> letters;
    for (const efm::Axis axis : efm::kAxes) letters.emplace_back(1, efm::AxisLetter(axis));
    return letters;
}

efm::Axis AxisOf(const std::string& name) {
    if (const std::optional<efm::Axis> axis = efm::AxisOfLetter(name)) return *axis;
    throw std::invalid_argument("the axis must be x, y or z, not \"" + name + "\"");
}

// The size asked for, or the default width with a height that suits the slice.
QSize PictureSize(const std::string& text, const fieldmap::Slice& slice) {
    if (text.empty()) return render::FittedPictureSize(slice);
    const std::optional<std::array<int, 2>> size = ParsePictureSize(text);
    if (!size) throw std::invalid_argument("the picture size must be WIDTHxHEIGHT, not \"" + text + "\"");
    return {(*size)[0], (*size)[1]};
}

// Encoded in memory first, so that the file is written as every output of the program is.
void SavePng(const QImage& image, const OutputDestination& output, const OutputControl& control) {
    QByteArray png;
    QBuffer buffer(&png);
    if (!buffer.open(QIODevice::WriteOnly) || !image.save(&buffer, "PNG")) {
        throw std::runtime_error("cannot encode the picture as PNG");
    }
    OutputFile file(output, {}, control);
    file.Write(png.constData(), static_cast<std::size_t>(png.size()));
    file.Commit();
}

}  // namespace

std::optional<std::array<int, 2>> ParsePictureSize(const std::string& text) {
    static const std::regex pattern("([0-9]{1,5})x([0-9]{1,5})");
    std::smatch match;
    if (!std::regex_match(text, match, pattern)) return std::nullopt;
    const std::array<int, 2> size{std::stoi(match[1]), std::stoi(match[2])};
    const QSize& smallest = render::kSmallestPictureSize;
    if (size[0] < smallest.width() || size[1] < smallest.height() || size[0] > render::kLargestPictureSize.width() ||
        size[1] > render::kLargestPictureSize.height()) {
        return std::nullopt;
    }
    return size;
}

int RunPreview(const PreviewOptions& options, std::ostream& out, std::ostream& err) {
    const CommandOutput output(options.output_path);
    if (output.RefuseUnusable(out, err)) return kUsageError;
    return ReportFailure("preview", options.path, err, [&] {
        RefuseToReplaceInput(options.path, output.Destination());
        efm::FileReader reader(options.path);
        const fieldmap::Slice slice = fieldmap::ReadSlice(reader, {AxisOf(options.axis), options.at, options.index});
        const GuiSession session;
        render::FitPaintingThreadsToRoom();
        const QSize size = PictureSize(options.size, slice);
        const QString file_name = QString::fromStdString(std::filesystem::path(options.path).filename().string());
        SavePng(render::RenderSlice(slice, file_name, size).image, output.Destination(), NoticesTo(err));
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
    CLI::Option* at = command->add_option("--at", options.at,
                                          "Coordinate along the axis: the nearest plane of nodes (default: the middle one)");
    CLI::Option* index = command->add_option("--index", options.index, "Line index of the plane along the axis");
    at->excludes(index);
    const auto size_text = [](QSize size) { return std::to_string(size.width()) + "x" + std::to_string(size.height()); };
    const std::string size_error = "expected WIDTHxHEIGHT from " + size_text(render::kSmallestPictureSize) + " to " +
                                   size_text(render::kLargestPictureSize);
    command->add_option("--size", options.size,
                        "Picture size in pixels, WIDTHxHEIGHT (default " + std::to_string(render::kDefaultPictureWidth) +
                            " wide, as tall as the slice's shape asks)")
        ->check(CLI::Validator(
            [size_error](std::string& text) { return ParsePictureSize(text) ? std::string() : size_error; }, "WxH"));
    return command;
}

}  // namespace brenwick
