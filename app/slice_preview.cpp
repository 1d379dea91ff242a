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

SlicePreview::SlicePreview(const Controls& controls) : m_controls(controls) {
    m_resized.setSingleShot(true);
    m_resized.setInterval(kResizePauseMs);
    connect(&m_resized, &QTimer::timeout, this, [this] { Ask(m_index); });
    connect(m_controls.axis, &QComboBox::currentIndexChanged, this, [this] { Ask(std::nullopt); });
    connect(m_controls.plane, &QSlider::valueChanged, this, [this](int index) { Ask(index); });
    connect(&m_watcher, &QFutureWatcher<PreviewPicture>::finished, this, &SlicePreview::TakePicture);
    // The picture's room is never smaller than a picture can be, in the pixels of the screen.
    const QSizeF smallest = QSizeF(render::kSmallestPictureSize) / m_controls.picture->devicePixelRatioF();
    m_controls.picture->setMinimumSize(qCeil(smallest.width()), qCeil(smallest.height()));
    m_controls.picture->installEventFilter(this);
    m_controls.title->installEventFilter(this);
    Clear();
}

// A picture still being drawn reads the file and paints; it ends before its window does, and
// stops reading at once, so that a slow disk does not keep the program after its window.
SlicePreview::~SlicePreview() {
    m_stop.request_stop();
    m_watcher.waitForFinished();
}

QString SlicePreview::Placeholder() { return QStringLiteral("Export to see a preview of the written file."); }

QString SlicePreview::Heading() { return QStringLiteral("Preview of the written file"); }

void SlicePreview::Show(const QString& path) {
    Clear();
    m_path = path;
    m_controls.axis->setEnabled(true);
    m_controls.plane->setEnabled(true);
    Ask(std::nullopt);
}

void SlicePreview::Clear() {
    ++m_generation;
    // A picture of the file no longer shown is dropped; its reading need not go on.
    m_stop.request_stop();
    m_stop = std::stop_source();
    m_path.clear();
    m_index.reset();
    m_waiting.reset();
    m_resized.stop();
    m_image = QImage();
    m_title = Heading();
    ShowTitle();
    m_controls.picture->setText(Placeholder());
    m_controls.picture->setToolTip(QString());
    m_controls.axis->setEnabled(false);
    m_controls.plane->setEnabled(false);
}

bool SlicePreview::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::Resize) {
        if (watched == m_controls.title) ShowTitle();
        if (watched == m_controls.picture && !m_path.isEmpty()) {
            Display();
            m_resized.start();
        }
    }
    return QObject::eventFilter(watched, event);
}

void SlicePreview::Ask(std::optional<int> index) {
    if (m_path.isEmpty()) return;
    m_index = index;
    const QLabel& picture = *m_controls.picture;
    const double ratio = picture.devicePixelRatioF();
    PreviewRequest request{m_path,
                           static_cast<efm::Axis>(m_controls.axis->currentIndex()),
                           index,
                           picture.contentsRect().size() * ratio,
                           ratio,
                           m_generation,
                           m_stop.get_token()};
    if (m_watcher.isRunning())
        m_waiting = std::move(request);
    else
        StartDrawing(request);
}

void SlicePreview::StartDrawing(const PreviewRequest& request) {
    m_watcher.setFuture(QtConcurrent::run(DrawPreview, request));
}

void SlicePreview::TakePicture() {
    const PreviewPicture picture = m_watcher.result();
    const bool newer_choice = m_waiting.has_value();
    if (newer_choice) StartDrawing(*std::exchange(m_waiting, std::nullopt));
    if (picture.generation != m_generation) return;
    if (!picture.failure.isEmpty()) {
        m_image = QImage();
        m_title = Heading();
        ShowTitle();
        m_controls.picture->setText(picture.failure);
        return;
    }
    {
        // The slider follows the picture, not the other way round; a newer choice of the user
        // keeps its place.
        const QSignalBlocker quiet(m_controls.plane);
        m_controls.plane->setRange(0, picture.planes - 1);
        if (!newer_choice) m_controls.plane->setValue(picture.index);
    }
    m_image = picture.image;
    m_title = picture.title;
    ShowTitle();
    m_controls.picture->setToolTip(picture.title);
    Display();
}

void SlicePreview::ShowTitle() {
    QLabel& line = *m_controls.title;
    line.setText(line.fontMetrics().elidedText(m_title, Qt::ElideMiddle, line.contentsRect().width()));
    line.setToolTip(line.text() == m_title ? QString() : m_title);
}

// The picture as drawn, or smaller where the room is smaller than a picture can be, or has
// shrunk since the picture was asked for.
void SlicePreview::Display() {
    if (m_image.isNull()) return;
    QLabel& label = *m_controls.picture;
    const qreal ratio = label.devicePixelRatioF();
    const QSize room = label.contentsRect().size() * ratio;
    QImage shown = m_image;
    if (shown.width() > room.width() || shown.height() > room.height())
        shown = shown.scaled(room, Qt::KeepAspectRatio, Qt::SmoothTransformation);
    QPixmap pixmap = QPixmap::fromImage(shown);
    pixmap.setDevicePixelRatio(ratio);
    label.setPixmap(pixmap);
}

}  // namespace brenwick
