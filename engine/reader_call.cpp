#include "reader_call.h"

#include <cstdio>
#include <cstdlib>

namespace brenwick {

namespace {

// Per thread, since the About box may ask for the reader's version while an export reads.
thread_local const char* running_call = nullptr;

// Runs among the program's exit handlers, on the thread that called exit().
void EndAsFailureInReaderCall() {
    if (running_call == nullptr) return;
    std::fprintf(stderr, "The result reader ended the program during %s.\n", running_call);
    std::fflush(stderr);
    std::_Exit(1);  // not the status the reader chose: the run did not finish
}

}  // namespace

ReaderCallMark::ReaderCallMark(const char* name) noexcept { running_call = name; }

ReaderCallMark::~ReaderCallMark() { running_call = nullptr; }

void ReportProgramEndInReaderCalls() {
    static const bool installed = std::atexit(EndAsFailureInReaderCall) == 0;
    (void)installed;
}

}  // namespace brenwick
