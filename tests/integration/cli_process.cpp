#include "cli_process.h"

#include "test_files.h"

#include <fcntl.h>
#include <grp.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <stdexcept>

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
    execv(argv[0], argv);
    _exit(127);
}

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

CliRun RunCli(const std::vector<std::string>& arguments, const CliSetup& setup) {
    const test_files::TempDir capture;
    const std::string out_path = capture / "stdout";
    const std::string err_path = capture / "stderr";
    std::vector<std::string> words{BRENWICK_CLI};
    words.insert(words.end(), arguments.begin(), arguments.end());
    std::vector<char*> argv;
    for (std::string& word : words) argv.push_back(word.data());
    argv.push_back(nullptr);

    const pid_t child = fork();
    if (child < 0) throw std::runtime_error(std::string("fork failed: ") + std::strerror(errno));
    if (child == 0) ExecCli(argv.data(), out_path.c_str(), err_path.c_str(), setup);

    int status = 0;
    while (waitpid(child, &status, 0) < 0) {
        if (errno != EINTR) throw std::runtime_error(std::string("waitpid failed: ") + std::strerror(errno));
    }
    CliRun run;
    run.exited = WIFEXITED(status);
    if (run.exited) run.status = WEXITSTATUS(status);
    if (WIFSIGNALED(status)) run.signal = WTERMSIG(status);
    if (setup.standard_output < 0) run.out = test_files::ReadText(out_path);
    run.err = test_files::ReadText(err_path);
    if (run.exited && (run.status == 126 || run.status == 127)) {
        throw std::runtime_error(std::string("could not start ") + BRENWICK_CLI);
    }
    return run;
}

std::string Describe(const CliRun& run) {
    if (run.exited) return "exit status " + std::to_string(run.status);
    return "signal " + std::to_string(run.signal) + " (" + strsignal(run.signal) + ")";
}

}  // namespace integration
