#include "preview_painting.h"

#include "preview_command.h"
#include "render/painting_threads.h"
#include "render/slice_picture.h"

#include <QBuffer>
#include <QByteArray>
#include <QGuiApplication>

#include <array>
#include <iostream>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>

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

// The size asked for, or the default width with a height that suits the slice.
QSize PictureSize(const std::string& text, const fieldmap::Slice& slice) {
    if (text.empty()) return render::FittedPictureSize(slice);
    const std::optional<std::array<int, 2>> size = ParsePictureSize(text);
    if (!size) throw std::invalid_argument("the picture size must be WIDTHxHEIGHT, not \"" + text + "\"");
    return {(*size)[0], (*size)[1]};
}

QByteArray EncodePng(const QImage& image) {
    QByteArray png;
    QBuffer buffer(&png);
    if (!buffer.open(QIODevice::WriteOnly) || !image.save(&buffer, "PNG")) {
        throw std::runtime_error("cannot encode the picture as PNG");
    }
    return png;
}

}  // namespace

void PaintSlice(const fieldmap::Slice& slice, const std::string& file_name, const std::string& size, std::string& png,
                std::exception_ptr& failure) {
    try {
        const GuiSession session;
        render::FitPaintingThreadsToRoom();
        const QImage image =
            render::RenderSlice(slice, QString::fromStdString(file_name), PictureSize(size, slice)).image;
        const QByteArray encoded = EncodePng(image);
        png.assign(encoded.constData(), static_cast<std::size_t>(encoded.size()));
    } catch (...) {
        failure = std::current_exception();
    }
}

}  // namespace brenwick
