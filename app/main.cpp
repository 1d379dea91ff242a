#include "brenwick_app.h"
#include "platform.h"

#include <csignal>

int main(int argc, char** argv) {
#ifdef SIGXFSZ
    // Past a file size limit a write then fails and is reported, and the temporary file goes,
    // instead of the signal ending the program with a partial file beside the output.
    std::signal(SIGXFSZ, SIG_IGN);
#endif
    brenwick::AttachToStartingTerminal();
    CBrenwickApp app(argc, argv);
    app.InitInstance();
    return 0;
}
