#include "brenwick_app.h"
#include "file_size_signal.h"
#include "platform.h"

int main(int argc, char** argv) {
    brenwick::IgnoreFileSizeSignal();
    brenwick::AttachToStartingTerminal();
    CBrenwickApp app(argc, argv);
    app.InitInstance();
    return 0;
}
