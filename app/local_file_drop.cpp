#include "local_file_drop.h"

#include <QDir>
#include <QDropEvent>
#include <QMimeData>
#include <QUrl>

namespace brenwick {

namespace {

// The first dropped URL when it names a local file, else an empty text.
QString DroppedLocalPath(const QMimeData* data) {
    if (data == nullptr || !data->hasUrls() || data->urls().isEmpty()) return {};
    const QUrl first = data->urls().constFirst();
    return first.isLocalFile() ? QDir::toNativeSeparators(first.toLocalFile()) : QString();
}

class LocalFileDropFilter : public QObject {
public:
    LocalFileDropFilter(QObject& field, std::function<void(const QString&)> take_path)
        : QObject(&field), take_path_(std::move(take_path)) {}

protected:
    bool eventFilter(QObject*, QEvent* event) override {
        switch (event->type()) {
        case QEvent::DragEnter:
        case QEvent::DragMove: {
            auto* drag = static_cast<QDragMoveEvent*>(event);
            if (DroppedLocalPath(drag->mimeData()).isEmpty())
                drag->ignore();
            else
                drag->acceptProposedAction();
            return true;
        }
        case QEvent::Drop: {
            auto* drop = static_cast<QDropEvent*>(event);
            const QString path = DroppedLocalPath(drop->mimeData());
            if (path.isEmpty()) {
                drop->ignore();
            } else {
                drop->acceptProposedAction();
                take_path_(path);
            }
            return true;
        }
        default:
            return false;
        }
    }

private:
    std::function<void(const QString&)> take_path_;
};

}  // namespace

void AcceptLocalFileDrops(QWidget& field, std::function<void(const QString&)> take_path) {
    field.setAcceptDrops(true);
    field.installEventFilter(new LocalFileDropFilter(field, std::move(take_path)));
}

}  // namespace brenwick
