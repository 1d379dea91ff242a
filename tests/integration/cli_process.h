// Running the built brenwick-cli in a child process, the way a user or a script runs it.
#ifndef BRENWICK_TESTS_CLI_PROCESS_H
#define BRENWICK_TESTS_CLI_PROCESS_H

#include <sys/resource.h>

#include <optional>
#include <string>
#include <vector>

namespace integration {

// How one run of brenwick-cli ended, and what it printed.
struct CliRun {
    bool exited = false;  // ended through exit; false when a signal ended it
    int status = -1;      // the exit status, when exited
    int signal = 0;       // the signal that ended it, when not exited
    std::string out;
    std::string err;
};

// Runs brenwick-cli with these arguments. With file_size_limit, files may not grow beyond that
// many bytes (RLIMIT_FSIZE, as `prlimit --fsize` sets it), which makes every write past the
// limit fail like a full disk.
CliRun RunCli(const std::vector<std::string>& arguments, std::optional<rlim_t> file_size_limit = std::nullopt);

// "exit status 1" or "signal 11 (Segmentation fault)", for failure messages.
std::string Describe(const CliRun& run);

}  // namespace integration

#endif
