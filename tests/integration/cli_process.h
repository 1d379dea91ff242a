// Running the built brenwick-cli in a child process, the way a user or a script runs it.
#ifndef BRENWICK_TESTS_CLI_PROCESS_H
#define BRENWICK_TESTS_CLI_PROCESS_H

#include "tests/support/test_files.h"

#if !defined(_WIN32)
#include <sys/types.h>
#endif

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace integration {

// How one run of brenwick-cli ended, and what it printed.
struct CliRun {
    bool exited = false;  // ended through exit; false when a signal (on Windows an exception) ended it
    int status = -1;      // the exit status, when exited
    int signal = 0;       // the signal or exception that ended it, when not exited
    std::string out;      // empty when standard output went elsewhere (CliSetup::standard_output)
    std::string err;      // empty when standard error went elsewhere (CliSetup::standard_error)
};

// A user and group to run as.
struct Identity {
    unsigned user = 0;
    unsigned group = 0;
};

// How the child runs besides its arguments. On Windows only the arguments and the standard
// output are set; a test that needs more skips there.
struct CliSetup {
    // Files may not grow beyond that many bytes (RLIMIT_FSIZE, as `prlimit --fsize` sets it),
    // which makes every write past the limit fail like a full disk.
    std::optional<std::uint64_t> file_size_limit;
    // The address space may not grow beyond that many bytes (RLIMIT_AS), so that a large
    // allocation fails however much memory the machine has.
    std::optional<std::uint64_t> memory_limit;
    // Runs as this user and group, with no supplementary groups; the test must run as root.
    std::optional<Identity> identity;
    // The child's user may have no more tasks, threads and processes together (RLIMIT_NPROC, as
    // `prlimit --nproc` sets it). The limit counts the user's tasks everywhere and does not bind
    // root: give the child an identity that no other process has.
    std::optional<std::uint64_t> task_limit;
    // A descriptor to give the child as its standard output (a pipe, a terminal) instead of
    // the file that CliRun::out is read from; -1: that file.
    int standard_output = -1;
    // The same for standard error (POSIX systems only); -1: the file CliRun::err is read from.
    int standard_error = -1;
    // The child asks to be traced by the test (ptrace) and stops before it starts.
    bool traced = false;
    // A folder and an empty folder: in a mount namespace of its own, the child finds the first
    // under the second's name as well (a bind mount), as a container shows one folder twice.
    // Needs root (BindMountsPossible).
    std::optional<std::pair<std::string, std::string>> bind_folder;
};

CliSetup WithFileSizeLimit(std::uint64_t bytes);
CliSetup WithMemoryLimit(std::uint64_t bytes);
// Without an identity, as the user running the tests.
CliSetup RunningAs(std::optional<Identity> identity);
CliSetup WithStandardOutput(int descriptor);
CliSetup WithStandardStreams(int output, int error);
CliSetup Traced();
CliSetup WithBoundFolder(const std::string& folder, const std::string& second_name);

// Whether a child can bind-mount a folder in a mount namespace of its own (as root).
bool BindMountsPossible();

// Runs brenwick-cli with these arguments.
CliRun RunCli(const std::vector<std::string>& arguments, const CliSetup& setup = {});

#if !defined(_WIN32)
// brenwick-cli running while the test acts on it.
class CliProcess {
public:
    CliProcess(const std::vector<std::string>& arguments, const CliSetup& setup = {});
    ~CliProcess();  // kills a child that still runs
    CliProcess(const CliProcess&) = delete;
    CliProcess& operator=(const CliProcess&) = delete;

    pid_t Pid() const { return child_; }
    // What it has written to standard error so far.
    std::string ErrorSoFar() const;
    // For a traced child: runs it until it is about to make a system call for which `here` is
    // true, given the call's number and first argument, and holds it there. False when it ended
    // first.
    bool HoldAtSystemCall(const std::function<bool(long number, unsigned long long first)>& here);
    // Whether it ends within `seconds` by itself: a traced child is not resumed meanwhile.
    bool EndsWithin(double seconds);
    // Waits for the end; a traced child is resumed, with every signal it receives.
    CliRun Wait();

private:
    void Reap();

    test_files::TempDir capture_;
    CliSetup setup_;
    pid_t child_ = -1;
    std::optional<int> status_;  // what waitpid last reported: a stop while traced, at last the end
};
#endif

// "exit status 1" or "signal 11 (Segmentation fault)" (on Windows "exception 0xc0000005"), for
// failure messages.
std::string Describe(const CliRun& run);

}  // namespace integration

#endif
