// How long the dialog takes to stop reading once the user asks it to, and how long the program
// lives on after its window has gone. The window runs as the program runs it, and ends it as
// `brenwick` does.
//
//   dialog_stop export PROJECT MATERIALS OUTPUT cancel|escape|close DELAY
//       an export with the material matrix; the stop comes DELAY seconds after the read of the
//       matrix has begun, through Cancel, Escape or Close;
//   dialog_stop preview EXPORT DELAY
//       the preview of an export file across x, which reads the whole node block; Escape comes
//       DELAY seconds after the preview was asked for.
//
// Prints three times of the system clock, in seconds: the request, the end (Cancel: the
// progress has gone; Escape and Close: the window has gone), and the return to main, before the
// window and the application are taken down; the caller notes when the process has ended.
#include "app/brenwick_window.h"
#include "engine/reader/reader_call.h"
#include "engine/reader/reader_library.h"
#include "output/process_signals.h"

#include <QApplication>
#include <QComboBox>
#include <QKeyEvent>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>

#include <chrono>
#include <cstdio>
#include <functional>
#include <iostream>
#include <optional>
#include <string>
#include <vector>

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

struct Run {
    std::string action;
    double delay = 0;
    std::function<void(BrenwickWindow&)> start;
    // Whether the reading the stop is timed from has begun.
    std::function<bool(QWidget&)> reading;
};

std::optional<Run> Parse(const std::vector<std::string>& args) {
    if (args.size() == 7 && args[1] == "export" && (args[5] == "cancel" || args[5] == "escape" || args[5] == "close")) {
        return Run{args[5], std::stod(args[6]),
                   [args](BrenwickWindow& window) {
                       Child<QLineEdit>(window, "editInputFile").setText(QString::fromStdString(args[2]));
                       Child<QLineEdit>(window, "editMaterialFile").setText(QString::fromStdString(args[3]));
                       Child<QLineEdit>(window, "editOutputFile").setText(QString::fromStdString(args[4]));
                       Child<QPushButton>(window, "btnExport").click();
                   },
                   [](QWidget& window) {
                       return Child<QProgressBar>(window, "progressExport").format() == "reading material properties";
                   }};
    }
    if (args.size() == 4 && args[1] == "preview") {
        return Run{"escape", std::stod(args[3]),
                   [args](BrenwickWindow& window) {
                       Child<QComboBox>(window, "comboSliceAxis").setCurrentIndex(static_cast<int>(efm::Axis::x));
                       window.ShowPreview(args[2]);
                   },
                   [](QWidget&) { return true; }};
    }
    return std::nullopt;
}

}  // namespace

int main(int argc, char** argv) {
    const std::optional<Run> run = Parse(std::vector<std::string>(argv, argv + argc));
    if (!run) {
        std::cerr << "usage: dialog_stop export PROJECT MATERIALS OUTPUT cancel|escape|close DELAY\n"
                     "       dialog_stop preview EXPORT DELAY\n";
        return 2;
    }
    PrepareProcessSignals();
    ReportProgramEndInReaderCalls();
    QApplication app(argc, argv);
    BrenwickWindow window(ChooseDialogReader(std::nullopt));

    std::optional<double> reading, asked, stopped;
    QTimer watch;
    QObject::connect(&watch, &QTimer::timeout, [&] {
        if (!reading && run->reading(window)) reading = Now();
        if (reading && !asked && Now() >= *reading + run->delay) {
            asked = Now();
            Ask(window, run->action);
        }
        if (asked && !stopped && run->action == "cancel" &&
            !Child<QProgressBar>(window, "progressExport").isVisible()) {
            stopped = Now();
            window.reject();
        }
    });
    watch.start(1);
    QTimer::singleShot(0, [&] { run->start(window); });
    window.exec();
    if (!stopped) stopped = Now();
    if (!asked) {
        std::cerr << "the reading ended before the stop was asked for\n";
        return 1;
    }
    std::printf("%.4f %.4f %.4f\n", *asked, *stopped, Now());
    return 0;
}
