// Fills the main dialog with a project, exports it and saves pictures of the dialog and of
// the About box for the documentation. Needs a display; scripts/screenshot-dialog.sh runs it
// under a virtual one.
#include "about_dlg.h"
#include "brenwick_window.h"

#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include <iostream>

using namespace brenwick;

namespace {

bool SavePicture(QWidget& widget, const QString& path) {
    widget.show();
    if (!QTest::qWaitForWindowExposed(&widget)) return false;
    return widget.grab().save(path);
}

}  // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    if (argc != 6) {
        std::cerr << "usage: brenwick_dialog_screenshot PROJECT MATERIALS OUTPUT DIALOG_PNG ABOUT_PNG\n";
        return 2;
    }
    CBrenwickWindow window;
    window.findChild<QLineEdit*>("editInputFile")->setText(QString::fromLocal8Bit(argv[1]));
    window.findChild<QLineEdit*>("editMaterialFile")->setText(QString::fromLocal8Bit(argv[2]));
    window.findChild<QLineEdit*>("editOutputFile")->setText(QString::fromLocal8Bit(argv[3]));
    window.findChild<QCheckBox*>("checkWriteProperty")->setChecked(true);
    window.findChild<QPushButton*>("btnExport")->click();

    const QString status = window.findChild<QLabel*>("staticStatus")->text();
    if (status != "Start to extract data now...done!") {
        std::cerr << "the export failed: " << status.toStdString() << '\n';
        return 1;
    }
    CAboutDlg about(&window);
    if (!SavePicture(window, QString::fromLocal8Bit(argv[4])) || !SavePicture(about, QString::fromLocal8Bit(argv[5]))) {
        std::cerr << "could not save the pictures\n";
        return 1;
    }
    return 0;
}
