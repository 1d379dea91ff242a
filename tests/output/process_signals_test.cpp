// The program's handling of signals leaves no trace in the processes it or a reader starts.
#include "tests/support/failure_text.h"
#include "tests/support/test_files.h"

#include <gtest/gtest.h>

#if !defined(_WIN32)
#include "output/process_signals.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <cstdint>
#include <sstream>
#include <stdexcept>
#include <thread>

namespace {

using test_failures::FailureInChild;
using test_failures::FailureOf;
using test_files::TempDir;

constexpr int kHandledSignals[] = {SIGINT, SIGTERM, SIGHUP, SIGPIPE, SIGXFSZ};

// The ways a reader may start a helper process.
enum class Start { kPosixSpawn, kForkAndExec, kForkOnly };

const char* NameOf(Start start) {
    switch (start) {
    case Start::kPosixSpawn: return "posix_spawn";
    case Start::kForkAndExec: return "fork and exec";
    case Start::kForkOnly: return "fork without exec";
    }
    return "";
}

// Starts a process as `start` says that copies its own /proc status into `file`, and waits for it.
void RunChildCopyingItsStatus(Start start, const std::string& file) {
    char cat[] = "cat", status[] = "/proc/self/status";
    char* const argv[] = {cat, status, nullptr};
    pid_t child = -1;
    if (start == Start::kPosixSpawn) {
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, file.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        const int failure = posix_spawnp(&child, cat, &actions, nullptr, argv, environ);
        posix_spawn_file_actions_destroy(&actions);
        if (failure != 0) throw std::runtime_error("posix_spawn failed");
    } else {
        child = fork();
        if (child < 0) throw std::runtime_error("fork failed");
        if (child == 0) {
            const int out = open(file.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
            if (out < 0 || dup2(out, STDOUT_FILENO) < 0) _exit(126);
            if (start == Start::kForkAndExec) execvp(cat, argv);
            const int in = open(status, O_RDONLY);
            char buffer[8192];
            const ssize_t got = in < 0 ? -1 : read(in, buffer, sizeof buffer);
            _exit(got > 0 && write(STDOUT_FILENO, buffer, static_cast<std::size_t>(got)) == got ? 0 : 126);
        }
    }
    int result = 0;
    if (waitpid(child, &result, 0) != child || !WIFEXITED(result) || WEXITSTATUS(result) != 0) {
        throw std::runtime_error("the child did not copy its status");
    }
}

// The handled signals that a status text lists as blocked, ignored or caught, as "SigBlk 2 ...".
std::string HandledSignalsMarked(const std::string& status) {
    std::istringstream lines(status);
    std::string marked;
    for (std::string line; std::getline(lines, line);) {
        for (const char* field : {"SigBlk:", "SigIgn:", "SigCgt:"}) {
            if (!line.starts_with(field)) continue;
            const std::uint64_t mask = std::stoull(line.substr(std::string(field).size()), nullptr, 16);
            for (const int number : kHandledSignals) {
                if ((mask >> (number - 1)) & 1u) marked += " " + line.substr(0, 6) + " " + std::to_string(number);
            }
        }
    }
    return marked;
}

// Every way, from the thread that prepared the signals and from a thread started afterwards,
// like one that a reader starts for its own work.
TEST(ProcessSignals, ProcessesStartedAfterwardsBeginWithTheDefaultMaskAndActions) {
    const TempDir dir;
    const std::string file = dir / "status";
    EXPECT_EQ(FailureInChild([&] {
                  // A program's start: nothing blocked, ignored or caught.
                  sigset_t none;
                  sigemptyset(&none);
                  sigprocmask(SIG_SETMASK, &none, nullptr);
                  for (const int number : kHandledSignals) std::signal(number, SIG_DFL);
                  brenwick::PrepareProcessSignals();
                  std::string faults;
                  for (const Start start : {Start::kPosixSpawn, Start::kForkAndExec, Start::kForkOnly}) {
                      for (const bool own_thread : {false, true}) {
                          if (own_thread) {
                              std::string failure;
                              std::thread([&] {
                                  failure = FailureOf([&] { RunChildCopyingItsStatus(start, file); });
                              }).join();
                              if (!failure.empty()) throw std::runtime_error(failure);
                          } else {
                              RunChildCopyingItsStatus(start, file);
                          }
                          const std::string marked = HandledSignalsMarked(test_files::ReadText(file));
                          if (!marked.empty()) {
                              faults +=
                                  std::string(NameOf(start)) + (own_thread ? " on a new thread:" : ":") + marked + "\n";
                          }
                      }
                  }
                  if (!faults.empty()) throw std::runtime_error(faults);
              }),
              "");
}

}  // namespace

#else
TEST(ProcessSignals, NotOnWindows) { GTEST_SKIP() << "signal masks and actions of child processes: POSIX only"; }
#endif
