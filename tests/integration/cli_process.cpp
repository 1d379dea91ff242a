#include "cli_process.h"

#include "test_files.h"

#include <fcntl.h>
#include <grp.h>
#include <sys/ptrace.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstring>
#include <stdexcept>
#include <thread>

namespace integration {

namespace {

// The child's side, between fork and exec: only async-signal-safe calls.
[[noreturn]] void ExecCli(char* const* argv, const char* out_path, const char* err_path, const CliSetup& setup) {
    const int out = setup.standard_output >= 0 ? setup.standard_output : open(out_path, O_WRONLY | O_CREAT | O_TRUNC, 0600);
    const int err = open(err_path, O_WRONLY | O_CREAT | O_TRUNC, 0600);
    if (out < 0 || err < 0 || dup2(out, STDOUT_FILENO) < 0 || dup2(err, STDERR_FILENO) < 0) _exit(126);
    for (const auto& [resource, bytes] :
         {std::pair{RLIMIT_FSIZE, setup.file_size_limit}, std::pair{RLIMIT_AS, setup.memory_limit}}) {
        const rlimit limit{bytes.value_or(RLIM_INFINITY), bytes.value_or(RLIM_INFINITY)};
        if (bytes && setrlimit(resource, &limit) != 0) _exit(126);
    }
    // The group first: without root's rights the group can no longer be changed.
    if (setup.identity && (setgroups(0, nullptr) != 0 || setgid(setup.identity->group) != 0 ||
                           setuid(setup.identity->user) != 0)) {
        _exit(126);
    }
    if (setup.traced && ptrace(PTRACE_TRACEME, 0, nullptr, nullptr) != 0) _exit(126);
    execv(argv[0], argv);
    _exit(127);
}

// The signal a traced child stopped for, to pass on when it resumes: none for the stop after its
// start and the stops at system calls.
int SignalToPass(int stop_status) { return (WSTOPSIG(stop_status) & 0x7f) == SIGTRAP ? 0 : WSTOPSIG(stop_status); }

}  // namespace

CliSetup WithFileSizeLimit(rlim_t bytes) {
    CliSetup setup;
    setup.file_size_limit = bytes;
    return setup;
}

CliSetup WithMemoryLimit(rlim_t bytes) {
    CliSetup setup;
    setup.memory_limit = bytes;
    return setup;
}

CliSetup RunningAs(std::optional<Identity> identity) {
    CliSetup setup;
    setup.identity = identity;
    return setup;
}

CliSetup WithStandardOutput(int descriptor) {
    CliSetup setup;
    setup.standard_output = descriptor;
    return setup;
}

CliSetup Traced() {
    CliSetup setup;
    setup.traced = true;
    return setup;
}

CliProcess::CliProcess(const std::vector<std::string>& arguments, const CliSetup& setup) : setup_(setup) {
    std::vector<std::string> words{BRENWICK_CLI};
    words.insert(words.end(), arguments.begin(), arguments.end());
    std::vector<char*> argv;
    for (std::string& word : words) argv.push_back(word.data());
    argv.push_back(nullptr);
    const std::string out_path = capture_ / "stdout";
    const std::string err_path = capture_ / "stderr";
    test_files::WriteText(err_path, "");  // so that it can be read before the child writes

    child_ = fork();
    if (child_ < 0) throw std::runtime_error(std::string("fork failed: ") + std::strerror(errno));
    if (child_ == 0) ExecCli(argv.data(), out_path.c_str(), err_path.c_str(), setup);
}

CliProcess::~CliProcess() {
    if (status_ && !WIFSTOPPED(*status_)) return;
    kill(child_, SIGKILL);
    Reap();
}

std::string CliProcess::ErrorSoFar() const { return test_files::ReadText(capture_ / "stderr"); }

bool CliProcess::HoldAtSystemCall(const std::function<bool(long number, unsigned long long first)>& here) {
    for (;;) {
        int status = 0;
        if (waitpid(child_, &status, 0) != child_) throw std::runtime_error("waitpid failed");
        status_ = status;
        if (!WIFSTOPPED(status)) return false;
        if (WSTOPSIG(status) == (SIGTRAP | 0x80)) {
            __ptrace_syscall_info call{};
            ptrace(PTRACE_GET_SYSCALL_INFO, child_, sizeof call, &call);
            if (call.op == PTRACE_SYSCALL_INFO_ENTRY && here(static_cast<long>(call.entry.nr), call.entry.args[0])) {
                return true;
            }
        }
        ptrace(PTRACE_SETOPTIONS, child_, nullptr, PTRACE_O_TRACESYSGOOD | PTRACE_O_EXITKILL);
        ptrace(PTRACE_SYSCALL, child_, nullptr, SignalToPass(status));
    }
}

bool CliProcess::EndsWithin(double seconds) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
    while (!status_ || WIFSTOPPED(*status_)) {
        int status = 0;
        if (waitpid(child_, &status, WNOHANG) == child_) {
            status_ = status;
        } else if (std::chrono::steady_clock::now() > end) {
            return false;
        } else {
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
    }
    return true;
}

void CliProcess::Reap() {
    while (!status_ || WIFSTOPPED(*status_)) {
        // A traced child is resumed with the signal it stopped for, as it would have run untraced.
        if (status_) ptrace(PTRACE_CONT, child_, nullptr, SignalToPass(*status_));
        int status = 0;
        if (waitpid(child_, &status, 0) == child_) {
            status_ = status;
        } else if (errno != EINTR) {
            throw std::runtime_error(std::string("waitpid failed: ") + std::strerror(errno));
        }
    }
}

CliRun CliProcess::Wait() {
    Reap();
    CliRun run;
    run.exited = WIFEXITED(*status_);
    if (run.exited) run.status = WEXITSTATUS(*status_);
    if (WIFSIGNALED(*status_)) run.signal = WTERMSIG(*status_);
    if (setup_.standard_output < 0) run.out = test_files::ReadText(capture_ / "stdout");
    run.err = ErrorSoFar();
    if (run.exited && (run.status == 126 || run.status == 127)) {
        throw std::runtime_error(std::string("could not start ") + BRENWICK_CLI);
    }
    return run;
}

CliRun RunCli(const std::vector<std::string>& arguments, const CliSetup& setup) {
    return CliProcess(arguments, setup).Wait();
}

std::string Describe(const CliRun& run) {
    if (run.exited) return "exit status " + std::to_string(run.status);
    return "signal " + std::to_string(run.signal) + " (" + strsignal(run.signal) + ")";
}

}  // namespace integration
