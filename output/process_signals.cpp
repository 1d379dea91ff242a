#include "process_signals.h"

#include "temporary_files.h"

#include <csignal>

#if !defined(_WIN32)
#include <pthread.h>
#include <semaphore.h>
#include <unistd.h>

#include <atomic>
#include <system_error>
#include <thread>
#endif

namespace brenwick {

namespace {

#if !defined(_WIN32)

// Caught by handlers, never blocked or ignored: a handler is reset by exec and a thread's mask
// is not changed, so every process a reader starts begins with the default mask and actions.
constexpr int kFailingWriteSignals[] = {SIGXFSZ, SIGPIPE};
constexpr int kEndingSignals[] = {SIGINT, SIGTERM, SIGHUP};

// Told by the handler of an ending signal, waited for by the thread that ends the program.
// Plain objects, never destroyed: a signal may come while static objects are destroyed.
sem_t ending_requested;
std::atomic<int> ending_signal{0};

// A write past a file size limit or into a pipe without reader then fails with EFBIG or EPIPE
// and is reported like a full disk, instead of the signal ending the program beside a partial
// file.
void LetTheWriteFail(int) {}

void RequestTheEnd(int number) {
    int none = 0;
    ending_signal.compare_exchange_strong(none, number);
    sem_post(&ending_requested);
}

void Catch(int number, void (*handler)(int)) {
    struct sigaction action {};
    action.sa_handler = handler;
    action.sa_flags = SA_RESTART;  // the program's own system calls go on as if nothing came
    sigemptyset(&action.sa_mask);
    sigaction(number, &action, nullptr);
}

bool Ignored(int number) {
    struct sigaction current {};
    return sigaction(number, nullptr, &current) == 0 && current.sa_handler == SIG_IGN;
}

// A thread, not the handler: it may take the lock under which temporary files are made, so that
// none is made between the removal and the end.
[[noreturn]] void EndOnRequest() {
    while (sem_wait(&ending_requested) != 0) {
    }
    temporary_files::RemoveAllBeforeTheEnd();
    // The signal's own default action ends the program, so that its parent sees the signal.
    const int received = ending_signal.load();
    std::signal(received, SIG_DFL);
    raise(received);
    _exit(128 + received);
}

// A process made by fork() without exec keeps the handlers, which then have no thread to tell:
// it starts with the default actions, as after exec. The signals wait meanwhile, so that none
// reaches a handler in the child.
thread_local sigset_t mask_before_fork;

void HoldSignalsForFork() {
    sigset_t caught;
    sigemptyset(&caught);
    for (const int number : kFailingWriteSignals) sigaddset(&caught, number);
    for (const int number : kEndingSignals) sigaddset(&caught, number);
    pthread_sigmask(SIG_BLOCK, &caught, &mask_before_fork);
}

void ReleaseSignalsInParent() { pthread_sigmask(SIG_SETMASK, &mask_before_fork, nullptr); }

void RestoreDefaultsInChild() {
    for (const int number : kFailingWriteSignals) std::signal(number, SIG_DFL);
    for (const int number : kEndingSignals) {
        if (!Ignored(number)) std::signal(number, SIG_DFL);
    }
    pthread_sigmask(SIG_SETMASK, &mask_before_fork, nullptr);
}

// Without a thread of its own (none can be started) an ending signal keeps its default action:
// the program still ends at once, only its temporary files may stay.
void WatchEndingSignals() {
    if (sem_init(&ending_requested, 0, 0) != 0) return;
    try {
        std::thread(EndOnRequest).detach();
    } catch (const std::system_error&) {
        return;
    }
    for (const int number : kEndingSignals) {
        if (!Ignored(number)) Catch(number, RequestTheEnd);
    }
}

#endif

}  // namespace

void PrepareProcessSignals() {
#if defined(_WIN32)
    // Windows knows no SIGXFSZ, SIGPIPE or SIGHUP, and reports Ctrl-C through the console.
#else
    for (const int number : kFailingWriteSignals) Catch(number, LetTheWriteFail);
    WatchEndingSignals();
    pthread_atfork(HoldSignalsForFork, ReleaseSignalsInParent, RestoreDefaultsInChild);
#endif
}

}  // namespace brenwick
