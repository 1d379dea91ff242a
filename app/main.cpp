#include "brenwick_app.h"
#include "file_size_signal.h"
#include "platform.h"
#include "reader_call.h"

int main(int argc, char** argv) {
    brenwick::IgnoreFileSizeSignal();
    brenwick::ReportProgramEndInReaderCalls();
    brenwick::AttachToStartingTerminal();
    CBrenwickApp app(argc, argv);
    app.InitInstance();
    return 0;
}
