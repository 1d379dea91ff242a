#include "brenwick_app.h"
#include "desktop_integration.h"
#include "engine/reader/reader_call.h"
#include "output/process_signals.h"

int main(int argc, char** argv) {
    brenwick::PrepareProcessSignals();
    brenwick::ReportProgramEndInReaderCalls();
    brenwick::AttachToStartingTerminal();
    CBrenwickApp app(argc, argv);
    app.InitInstance();
    return 0;
}
