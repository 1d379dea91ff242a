#include "platform/write_error.h"

#include <cerrno>

#if defined(_WIN32)
#include <stdlib.h>
#include <windows.h>
#endif

namespace brenwick {

void ForgetWriteError() {
    errno = 0;
#if defined(_WIN32)
    _doserrno = 0;
#endif
}

bool WriteFoundNoReader() {
#if defined(_WIN32)
    // A pipe closed at its reading end, as its writer sees it (Wine says the last for a pipe of
    // the system it runs on).
    const unsigned long code = _doserrno;
    if (code == ERROR_NO_DATA || code == ERROR_BROKEN_PIPE || code == ERROR_PIPE_NOT_CONNECTED) return true;
#endif
    return errno == EPIPE;
}

}  // namespace brenwick
