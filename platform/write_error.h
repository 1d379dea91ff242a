// Why a write of the C library failed, as far as the program reports it: whether it went into
// a pipe whose reader had gone away. The Windows C library keeps the system's code for such a
// pipe and does not turn it into EPIPE.
#ifndef BRENWICK_PLATFORM_WRITE_ERROR_H
#define BRENWICK_PLATFORM_WRITE_ERROR_H

namespace brenwick {

// Forgets the reason of an earlier failure, before writes that WriteFoundNoReader is to judge.
void ForgetWriteError();

// Whether the write of the C library that failed last found a pipe without its reader.
bool WriteFoundNoReader();

}  // namespace brenwick

#endif
