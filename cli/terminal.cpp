#include "terminal.h"

#if defined(_WIN32)
#include <io.h>
#else
#include <unistd.h>
#endif

namespace brenwick {

bool IsTerminal(std::FILE* stream) {
#if defined(_WIN32)
    return IsTerminal(_fileno(stream));
#else
    return IsTerminal(fileno(stream));
#endif
}

bool IsTerminal(int descriptor) {
#if defined(_WIN32)
    return _isatty(descriptor) != 0;
#else
    return isatty(descriptor) != 0;
#endif
}

}  // namespace brenwick
