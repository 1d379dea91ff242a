// Fills the main dialog with a project and saves pictures for the documentation: the dialog
// ready to export, the dialog after the export with its summary and the preview of the written
// file, and the About box. Needs a display; scripts/screenshot-dialog.sh runs it under a
// virtual one.
#include "app/about_dlg.h"
#include "app/brenwick_window.h"

#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>

#include <iostream>

using namespace brenwick;

namespace {

constexpr int kExportTimeoutMs = 60000;
constexpr int kSettleMs = 500;

bool SavePicture(QWidget& widget, const QString& path) {
    widget.show();
    if (!QTest::qWaitForWindowExposed(&widget)) return false;
    return widget.grab().save(path);
}

// The export runs on a worker and the preview draws on another: waits for both.
bool ExportAndPreview(BrenwickWindow& window) {
    auto* export_button = window.findChild<QPushButton*>("btnExport");
    export_button->click();
    // Export is enabled again once the worker has finished.
    const QString status = QTest::qWaitFor([&] { return export_button->isEnabled(); }, kExportTimeoutMs)
                               ? window.findChild<QPlainTextEdit*>("textStatus")->toPlainText()
                               : QString("the export did not finish");
    if (!status.startsWith("Start to extract data now...done!")) {
        std::cerr << "the export failed: " << status.toStdString() << '\n';
        return false;
    }
    // The picture is drawn for the room of the window once it has been laid out.
    QTest::qWait(kSettleMs);
    const auto* picture = window.findChild<QLabel*>("labelSlicePicture");
    return QTest::qWaitFor([&] { return !picture->pixmap().isNull(); }, kExportTimeoutMs);
}

}  // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    if (argc != 5) {
        std::cerr << "usage: brenwick_dialog_screenshot PROJECT MATERIALS OUTPUT PICTURE_FOLDER\n";
        return 2;
    }
    const QDir pictures(QString::fromLocal8Bit(argv[4]));
    BrenwickWindow window;
    window.findChild<QLineEdit*>("editInputFile")->setText(QString::fromLocal8Bit(argv[1]));
    window.findChild<QLineEdit*>("editMaterialFile")->setText(QString::fromLocal8Bit(argv[2]));
    window.findChild<QLineEdit*>("editOutputFile")->setText(QString::fromLocal8Bit(argv[3]));
    window.findChild<QCheckBox*>("checkWriteProperty")->setChecked(true);
    if (!SavePicture(window, pictures.filePath("brenwick-dialog.png"))) {
        std::cerr << "could not save the picture of the dialog\n";
        return 1;
    }
    if (!ExportAndPreview(window)) {
        std::cerr << "no preview of the export\n";
        return 1;
    }
    CAboutDlg about(&window);
    if (!SavePicture(window, pictures.filePath("brenwick-dialog-preview.png")) ||
        !SavePicture(about, pictures.filePath("brenwick-about.png"))) {
        std::cerr << "could not save the pictures\n";
        return 1;
    }
    return 0;
}
