#include "brenwick_app.h"

#include "brenwick_version.h"
#include "brenwick_window.h"
#include "engine_text.h"

#include "engine/reader/reader_library.h"

#include <QCommandLineParser>
#include <QIcon>

#include <optional>
#include <string>

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
    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Exports the potential of a CST project as a field map for Garfield++ (*.efm)."));
    parser.addHelpOption();
    parser.addVersionOption();
    const QCommandLineOption reader_option(
        QStringLiteral("reader"),
        QStringLiteral("Result reader library that opens the projects (default: the library named by %1, else "
                       "the built-in reader).")
            .arg(QString::fromLatin1(brenwick::kReaderVariable)),
        QStringLiteral("LIBRARY"));
    parser.addOption(reader_option);
    parser.process(*this);  // answers --help and --version, and refuses unknown options

    std::optional<std::string> reader;
    if (parser.isSet(reader_option)) reader = brenwick::EngineText(parser.value(reader_option));
    brenwick::BrenwickWindow dialog(brenwick::ChooseDialogReader(reader));
    dialog.exec();
}
