#include "brenwick_app.h"
#include "platform.h"

int main(int argc, char** argv) {
    AttachToStartingTerminal();
    CBrenwickApp app(argc, argv);
    app.InitInstance();
    return 0;
}
