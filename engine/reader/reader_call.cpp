#include "reader_call.h"

#include <atomic>
#include <cstdio>
#include <cstdlib>

namespace brenwick {

namespace {

// For the whole process, not per thread: a reader may end the program from a thread of its own
// while the call that started it waits. The program never calls the reader from two threads at
// once, so the name is that of the call that runs.
std::atomic<int> running_calls{0};
std::atomic<const char*> running_call{nullptr};

// Runs among the program's exit handlers, on whichever thread called exit().
void EndAsFailureInReaderCall() {
    if (running_calls.load() == 0) return;
    std::fprintf(stderr, "The result reader ended the program during %s.\n", running_call.load());
    std::fflush(stderr);
    std::_Exit(1);  // not the status the reader chose: the run did not finish
}

}  // namespace

ReaderCallMark::ReaderCallMark(const char* name) noexcept {
    running_call.store(name);
    ++running_calls;
}

ReaderCallMark::~ReaderCallMark() { --running_calls; }

void ReportProgramEndInReaderCalls() {
    static const bool installed = std::atexit(EndAsFailureInReaderCall) == 0;
    (void)installed;
}

}  // namespace brenwick
