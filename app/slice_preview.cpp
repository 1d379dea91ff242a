#include "slice_preview.h"

#include "engine_text.h"
#include "fieldmap/slice.h"
#include "render/slice_picture.h"

#include <QComboBox>
#include <QEvent>
#include <QFileInfo>
#include <QLabel>
#include <QPixmap>
#include <QSignalBlocker>
#include <QSlider>
#include <QtConcurrent/QtConcurrentRun>
#include <QtMath>

#include <exception>
#include <utility>

namespace brenwick {

namespace {

// A picture is drawn again for a new width only once the user has paused resizing.
constexpr int kResizePauseMs = 150;

}  // namespace

PreviewPicture DrawPreview(const PreviewRequest& request) {
    PreviewPicture picture;
    picture.generation = request.generation;
    try {
        efm::FileReader reader(EngineText(request.path), request.stop);
        const fieldmap::Slice slice = fieldmap::ReadSlice(reader, {request.axis, std::nullopt, request.index});
        picture.index = slice.index;
        picture.planes = slice.planes;
        const QSize size = request.size.expandedTo(render::kSmallestPictureSize).boundedTo(render::kLargestPictureSize);
        render::SlicePicture drawn = render::RenderSlice(slice, QFileInfo(request.path).fileName(), size,
                                                         request.pixel_ratio, render::TitleLine::left_out);
        picture.image = std::move(drawn.image);
        picture.title = std::move(drawn.title);
    } catch (const std::exception& failure) {
        picture.failure = QtText(failure.what());
    }
    return picture;
}

SlicePreview::SlicePreview(const Controls& controls) : controls_(controls) {
    resized_.setSingleShot(true);
    resized_.setInterval(kResizePauseMs);
    connect(&resized_, &QTimer::timeout, this, [this] { Ask(index_); });
    connect(controls_.axis, &QComboBox::currentIndexChanged, this, [this] { Ask(std::nullopt); });
    connect(controls_.plane, &QSlider::valueChanged, this, [this](int index) { Ask(index); });
    connect(&watcher_, &QFutureWatcher<PreviewPicture>::finished, this, &SlicePreview::TakePicture);
    // The picture's room is never smaller than a picture can be, in the pixels of the screen.
    const QSizeF smallest = QSizeF(render::kSmallestPictureSize) / controls_.picture->devicePixelRatioF();
    controls_.picture->setMinimumSize(qCeil(smallest.width()), qCeil(smallest.height()));
    controls_.picture->installEventFilter(this);
    controls_.title->installEventFilter(this);
    Clear();
}

// A picture still being drawn reads the file and paints; it ends before its window does, and
// stops reading at once, so that a slow disk does not keep the program after its window.
SlicePreview::~SlicePreview() {
    stop_.request_stop();
    watcher_.waitForFinished();
}

QString SlicePreview::Placeholder() { return QStringLiteral("Export to see a preview of the written file."); }

QString SlicePreview::Heading() { return QStringLiteral("Preview of the written file"); }

void SlicePreview::Show(const QString& path) {
    Clear();
    path_ = path;
    controls_.axis->setEnabled(true);
    controls_.plane->setEnabled(true);
    Ask(std::nullopt);
}

void SlicePreview::Clear() {
    ++generation_;
    // A picture of the file no longer shown is dropped; its reading need not go on.
    stop_.request_stop();
    stop_ = std::stop_source();
    path_.clear();
    index_.reset();
    waiting_.reset();
    resized_.stop();
    image_ = QImage();
    title_ = Heading();
    ShowTitle();
    controls_.picture->setText(Placeholder());
    controls_.picture->setToolTip(QString());
    controls_.axis->setEnabled(false);
    controls_.plane->setEnabled(false);
}

bool SlicePreview::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::Resize) {
        if (watched == controls_.title) ShowTitle();
        if (watched == controls_.picture && !path_.isEmpty()) {
            Display();
            resized_.start();
        }
    }
    return QObject::eventFilter(watched, event);
}

void SlicePreview::Ask(std::optional<int> index) {
    if (path_.isEmpty()) return;
    index_ = index;
    const QLabel& picture = *controls_.picture;
    const double ratio = picture.devicePixelRatioF();
    PreviewRequest request{path_,
                           static_cast<efm::Axis>(controls_.axis->currentIndex()),
                           index,
                           picture.contentsRect().size() * ratio,
                           ratio,
                           generation_,
                           stop_.get_token()};
    if (watcher_.isRunning())
        waiting_ = std::move(request);
    else
        StartDrawing(request);
}

void SlicePreview::StartDrawing(const PreviewRequest& request) {
    watcher_.setFuture(QtConcurrent::run(DrawPreview, request));
}

void SlicePreview::TakePicture() {
    const PreviewPicture picture = watcher_.result();
    const bool newer_choice = waiting_.has_value();
    if (newer_choice) StartDrawing(*std::exchange(waiting_, std::nullopt));
    if (picture.generation != generation_) return;
    if (!picture.failure.isEmpty()) {
        image_ = QImage();
        title_ = Heading();
        ShowTitle();
        controls_.picture->setText(picture.failure);
        return;
    }
    {
        // The slider follows the picture, not the other way round; a newer choice of the user
        // keeps its place.
        const QSignalBlocker quiet(controls_.plane);
        controls_.plane->setRange(0, picture.planes - 1);
        if (!newer_choice) controls_.plane->setValue(picture.index);
    }
    image_ = picture.image;
    title_ = picture.title;
    ShowTitle();
    controls_.picture->setToolTip(picture.title);
    Display();
}

void SlicePreview::ShowTitle() {
    QLabel& line = *controls_.title;
    line.setText(line.fontMetrics().elidedText(title_, Qt::ElideMiddle, line.contentsRect().width()));
    line.setToolTip(line.text() == title_ ? QString() : title_);
}

// The picture as drawn, or smaller where the room is smaller than a picture can be, or has
// shrunk since the picture was asked for.
void SlicePreview::Display() {
    if (image_.isNull()) return;
    QLabel& label = *controls_.picture;
    const qreal ratio = label.devicePixelRatioF();
    const QSize room = label.contentsRect().size() * ratio;
    QImage shown = image_;
    if (shown.width() > room.width() || shown.height() > room.height())
        shown = shown.scaled(room, Qt::KeepAspectRatio, Qt::SmoothTransformation);
    QPixmap pixmap = QPixmap::fromImage(shown);
    pixmap.setDevicePixelRatio(ratio);
    label.setPixmap(pixmap);
}

}  // namespace brenwick
