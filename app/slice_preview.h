// The dialog's preview of a written export file: the slice that the axis choice and the
// slider pick, materials and potential side by side. Each picture is read and drawn on a
// worker, so the window never waits for a large file; while one is drawn, only the latest
// further choice waits, and a picture of a file no longer shown is dropped. Pictures are drawn
// for the room they are shown in and the screen's pixel ratio, so their text keeps the size of
// the window's. The title stands in a line of its own beside the slice choice, shortened in
// the middle where it is too long, with the whole title as the tip of the line and of the
// picture. Without a file the preview says what it will show.
#ifndef BRENWICK_SLICE_PREVIEW_H
#define BRENWICK_SLICE_PREVIEW_H

#include "efm/reader.h"

#include <QFutureWatcher>
#include <QImage>
#include <QObject>
#include <QString>
#include <QTimer>

#include <optional>
#include <stop_token>

class QComboBox;
class QLabel;
class QSlider;
class QWidget;

namespace brenwick {

// What the preview asks a worker for, and what comes back.
struct PreviewRequest {
    QString path;
    efm::Axis axis = efm::Axis::z;
    std::optional<int> index;  // none: the middle plane
    QSize size;                // of the room for the picture, in device pixels
    double pixel_ratio = 1;    // device pixels per pixel of the window
    unsigned generation = 0;   // which file shown this belongs to
    std::stop_token stop;      // asked to stop once the picture is no longer wanted
};
struct PreviewPicture {
    unsigned generation = 0;
    int index = 0;
    int planes = 0;
    QImage image;
    QString title;
    QString failure;  // why there is no picture
};

// Reads the slice of the request and draws it into the room of the request, no smaller than a
// picture can be; a file that cannot be read or drawn gives the reason instead of a picture.
PreviewPicture DrawPreview(const PreviewRequest& request);

class SlicePreview : public QObject {
public:
    struct Controls {
        QComboBox* axis;  // items x, y, z; disabled while no file is shown
        QSlider* plane;
        QLabel* picture;
        QLabel* title;
    };
    explicit SlicePreview(const Controls& controls);
    ~SlicePreview() override;

    // Shows the middle plane across the chosen axis of the export file at `path`.
    void Show(const QString& path);
    // Shows no file, and says what will be shown.
    void Clear();
    static QString Placeholder();
    static QString Heading();  // the title line while no file is shown

protected:
    // Follows the sizes of the picture and of the title line.
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void Ask(std::optional<int> index);
    void StartDrawing(const PreviewRequest& request);
    void TakePicture();
    void Display();
    void ShowTitle();

    Controls controls_;
    QString path_;              // empty while no file is shown
    std::optional<int> index_;  // the plane last asked for; none: the middle one
    unsigned generation_ = 0;
    std::stop_source stop_;  // of the pictures of the file shown
    std::optional<PreviewRequest> waiting_;
    QFutureWatcher<PreviewPicture> watcher_;
    QImage image_;
    QString title_;  // whole
    QTimer resized_;
};

}  // namespace brenwick

#endif
