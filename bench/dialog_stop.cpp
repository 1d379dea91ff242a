// How long the dialog takes to stop an export once the user asks it to, and how long the
// program lives on afterwards. The window runs as the program runs it: an export with the
// material matrix, and the stop comes DELAY seconds after the read of the matrix has begun,
// through Cancel, Escape or Close. After Escape and Close the program ends as `brenwick` does,
// once the window has gone.
//
//   dialog_stop PROJECT MATERIALS OUTPUT cancel|escape|close DELAY
//
// Prints three times of the system clock, in seconds: the request, the end of the export
// (Cancel: the progress has gone; Escape and Close: the window has gone), and the return from
// main; the caller notes when the process has ended.
#include "app/brenwick_window.h"
#include "engine/process_signals.h"
#include "engine/reader_call.h"
#include "engine/reader_library.h"

#include <QApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>

#include <chrono>
#include <cstdio>
#include <iostream>
#include <optional>
#include <string>

using namespace brenwick;

namespace {

double Now() { return std::chrono::duration<double>(std::chrono::system_clock::now().time_since_epoch()).count(); }

template <class Widget>
Widget& Child(QWidget& window, const char* name) {
    return *window.findChild<Widget*>(name);
}

void Ask(QWidget& window, const std::string& action) {
    if (action == "cancel") {
        Child<QPushButton>(window, "btnCancel").click();
    } else if (action == "close") {
        Child<QPushButton>(window, "btnClose").click();
    } else {
        QKeyEvent escape(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
        QApplication::sendEvent(&window, &escape);
    }
}

}  // namespace

int main(int argc, char** argv) {
    const std::string action = argc == 6 ? argv[4] : "";
    if (action != "cancel" && action != "escape" && action != "close") {
        std::cerr << "usage: dialog_stop PROJECT MATERIALS OUTPUT cancel|escape|close DELAY\n";
        return 2;
    }
    const double delay = std::stod(argv[5]);
    PrepareProcessSignals();
    ReportProgramEndInReaderCalls();
    QApplication app(argc, argv);
    CBrenwickWindow window(ChooseDialogReader(std::nullopt));
    Child<QLineEdit>(window, "editInputFile").setText(QString::fromLocal8Bit(argv[1]));
    Child<QLineEdit>(window, "editMaterialFile").setText(QString::fromLocal8Bit(argv[2]));
    Child<QLineEdit>(window, "editOutputFile").setText(QString::fromLocal8Bit(argv[3]));

    std::optional<double> reading, asked, stopped;
    QTimer watch;
    QObject::connect(&watch, &QTimer::timeout, [&] {
        const QProgressBar& progress = Child<QProgressBar>(window, "progressExport");
        if (!reading && progress.format() == "reading material properties") reading = Now();
        if (reading && !asked && Now() >= *reading + delay) {
            asked = Now();
            Ask(window, action);
        }
        if (asked && !stopped && action == "cancel" && !progress.isVisible()) {
            stopped = Now();
            window.reject();
        }
    });
    watch.start(1);
    QTimer::singleShot(0, [&] { Child<QPushButton>(window, "btnExport").click(); });
    window.exec();
    if (!stopped) stopped = Now();
    if (!asked) {
        std::cerr << "the export ended before the stop was asked for\n";
        return 1;
    }
    std::printf("%.4f %.4f %.4f\n", *asked, *stopped, Now());
    return 0;
}
