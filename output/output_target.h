// What an output path names, and so how an export may write it without changing the type,
// owner, group, links or permissions of anything the export did not create.
#ifndef BRENWICK_OUTPUT_TARGET_H
#define BRENWICK_OUTPUT_TARGET_H

#include <filesystem>
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
    // links, an access control list): opened, truncated and written where it is.
    InPlace,
    // A device, a FIFO or a socket: written into as it is.
    Straight,
};

struct OutputTarget {
    std::filesystem::path path;  // where the bytes go, symbolic links followed
    OutputMethod method = OutputMethod::Refused;
    // Of a file that Replace replaces: what the new file must have as well.
    bool replaces_file = false;
    std::filesystem::perms permissions = std::filesystem::perms::none;
    unsigned long owner = 0;  // user and group IDs; kept where the system has them
    unsigned long group = 0;
};

// Looks at the path and what it names; changes nothing.
OutputTarget ExamineOutput(const std::string& path);

// Whether two paths name the same existing file, in any spelling (relative parts, links): an
// output that is one of the program's inputs would destroy what is being read.
bool SameFile(const std::string& a, const std::string& b);

}  // namespace brenwick

#endif
