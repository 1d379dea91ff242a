#include "brenwick_app.h"
#include "platform.h"
#include "process_signals.h"
#include "reader_call.h"

int main(int argc, char** argv) {
    brenwick::PrepareProcessSignals();
    brenwick::ReportProgramEndInReaderCalls();
    brenwick::AttachToStartingTerminal();
    CBrenwickApp app(argc, argv);
    app.InitInstance();
    return 0;
}
