#include "file_size_signal.h"

#include <csignal>

namespace brenwick {

void IgnoreFileSizeSignal() {
#ifdef SIGXFSZ
    std::signal(SIGXFSZ, SIG_IGN);
#endif
}

}  // namespace brenwick
