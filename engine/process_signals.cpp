#include "process_signals.h"

#include "output/temporary_files.h"

#include <csignal>

#if !defined(_WIN32)
#include <pthread.h>
#include <unistd.h>

#include <thread>
#endif

namespace brenwick {

namespace {

#if !defined(_WIN32)

// The ending signals that the program was not started to ignore.
sigset_t EndingSignals() {
    sigset_t signals;
    sigemptyset(&signals);
    for (const int number : {SIGINT, SIGTERM, SIGHUP}) {
        struct sigaction current {};
        if (sigaction(number, nullptr, &current) == 0 && current.sa_handler != SIG_IGN) sigaddset(&signals, number);
    }
    return signals;
}

// A thread, not a signal handler: it may take the lock under which temporary files are made,
// so that none is made between the removal and the end.
[[noreturn]] void EndOnSignal(sigset_t signals) {
    int received = 0;
    while (sigwait(&signals, &received) != 0) {
    }
    temporary_files::RemoveAllBeforeTheEnd();
    // The signal's own default action ends the program, so that its parent sees the signal.
    std::signal(received, SIG_DFL);
    sigset_t just_this;
    sigemptyset(&just_this);
    sigaddset(&just_this, received);
    pthread_sigmask(SIG_UNBLOCK, &just_this, nullptr);
    raise(received);
    _exit(128 + received);
}

void WatchEndingSignals() {
    const sigset_t signals = EndingSignals();
    if (pthread_sigmask(SIG_BLOCK, &signals, nullptr) != 0) return;
    std::thread(EndOnSignal, signals).detach();
}

#endif

}  // namespace

void PrepareProcessSignals() {
#if defined(_WIN32)
    // Windows knows no SIGXFSZ, SIGPIPE or SIGHUP, and reports Ctrl-C through the console.
#else
    std::signal(SIGXFSZ, SIG_IGN);
    std::signal(SIGPIPE, SIG_IGN);
    WatchEndingSignals();
#endif
}

}  // namespace brenwick
