// Dropping files onto a path field: the field takes the local path of the first dropped file.
#ifndef BRENWICK_LOCAL_FILE_DROP_H
#define BRENWICK_LOCAL_FILE_DROP_H

#include <QString>
#include <QWidget>

#include <functional>

namespace brenwick {

// From now on a drop of local files onto `field` hands the first file's path, in the
// platform's notation, to `take_path`; every other drop (text, remote URLs) is refused.
void AcceptLocalFileDrops(QWidget& field, std::function<void(const QString&)> take_path);

}  // namespace brenwick

#endif
