#include "brenwick_app.h"

#include "brenwick_window.h"

#include <QIcon>

#include <clocale>

namespace {

QIcon ApplicationIcon() {
    QIcon icon;
    for (const int size : {16, 24, 32, 48, 64, 128, 256})
        icon.addFile(QStringLiteral(":/images/brenwick-%1.png").arg(size), QSize(size, size));
    return icon;
}

}  // namespace

CBrenwickApp::CBrenwickApp(int& argc, char** argv) : QApplication(argc, argv) {
    // Qt hands the user's locale to the C library, whose number reading the material file
    // relies on: in a German locale "2.5" would read as 2. Numbers keep the point.
    std::setlocale(LC_NUMERIC, "C");
    setApplicationName(QStringLiteral("Brenwick"));
    setApplicationVersion(QStringLiteral("1.1"));
    setDesktopFileName(QStringLiteral("brenwick"));
    setWindowIcon(ApplicationIcon());
}

void CBrenwickApp::InitInstance() {
    CBrenwickWindow dialog;
    dialog.exec();
}
