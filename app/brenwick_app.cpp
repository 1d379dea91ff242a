#include "brenwick_app.h"

#include "brenwick_version.h"
#include "brenwick_window.h"

#include <QIcon>

namespace {

QIcon ApplicationIcon() {
    QIcon icon;
    for (const int size : {16, 24, 32, 48, 64, 128, 256})
        icon.addFile(QStringLiteral(":/images/brenwick-%1.png").arg(size), QSize(size, size));
    return icon;
}

}  // namespace

CBrenwickApp::CBrenwickApp(int& argc, char** argv) : QApplication(argc, argv) {
    setApplicationName(QStringLiteral("Brenwick"));
    setApplicationVersion(QStringLiteral(BRENWICK_VERSION));
    setDesktopFileName(QStringLiteral("brenwick"));
    setWindowIcon(ApplicationIcon());
}

void CBrenwickApp::InitInstance() {
    brenwick::CBrenwickWindow dialog;
    dialog.exec();
}
