// What an output path names, and so how an export may write it without changing the type,
// owner, group, links or permissions of anything the export did not create.
#ifndef BRENWICK_OUTPUT_TARGET_H
#define BRENWICK_OUTPUT_TARGET_H

#include "output_destination.h"

#include <filesystem>
#include <optional>
#include <string>

namespace brenwick {

enum class OutputMethod {
    // A directory, a file the process may not write, a path that names no file: nothing is
    // touched.
    Refused,
    // No file yet, or a file that can be replaced safely: a temporary file beside it, renamed
    // over it once complete.
    Replace,
    // A file that cannot be replaced safely (a folder the process may not write, several hard
    // links, an access control list, a file mounted where it is): opened, truncated and written
    // where it is.
    InPlace,
    // Any other file that is not regular (a device): written into as it is. A socket cannot be
    // opened, which refuses it with the open message.
    Straight,
    // A FIFO: written into as it is, once a reader has opened it.
    Fifo,
};

struct OutputTarget {
    std::filesystem::path path;  // where the bytes go, symbolic links followed
    OutputMethod method = OutputMethod::Refused;
    // Of a file that Replace replaces: what the new file must have as well.
    bool replaces_file = false;
    std::filesystem::perms permissions = std::filesystem::perms::none;
    unsigned long owner = 0;  // user and group IDs; kept where the system has them
    unsigned long group = 0;
    // Windows: the system's error code of a refusal, so that the message can say why.
    unsigned long system_error = 0;
    // POSIX systems: the system's reason (errno) of a refusal where it gave one, for the cause.
    int error = 0;
};

// Looks at the path and what it names; changes nothing.
OutputTarget ExamineOutput(const std::string& path);

// The open descriptor of this process that an output is written into as it stands: standard
// output for OutputDestination::StandardOutput(), and the descriptor that a path names through
// a folder of the system that lists open descriptors (/dev/stdout, /dev/fd/N, /proc/self/fd/N,
// /proc/thread-self/fd/N, /proc/PID/task/TID/fd/N, or a link to one of them): a link there
// named N, when this process's descriptor N is open on the file the link leads to. None for any
// other path.
std::optional<int> DescriptorOf(const OutputDestination& output);

// Whether the output is the file that the process's open `descriptor` writes into (device and
// inode), so that what the process writes there would be mixed into the output. Terminals,
// /dev/null and other character devices keep nothing of what they are given, and never count.
bool SharesFileWith(const OutputDestination& output, int descriptor);

// Whether the output would write into the file that `input` names, in any spelling (relative
// parts, links, a descriptor open on it): writing there would destroy what is read. Names of
// files not made yet are the same file when they lead to the same place, so that two outputs of
// one command can be told apart before either is written.
bool SameFile(const OutputDestination& output, const std::string& input);

}  // namespace brenwick

#endif
