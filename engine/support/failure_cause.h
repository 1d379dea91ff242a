// What is known of why an input file cannot be read, in words for the user; the engine's
// failures carry it as their cause (engine_error.h).
#ifndef BRENWICK_FAILURE_CAUSE_H
#define BRENWICK_FAILURE_CAUSE_H

#include <string>

namespace brenwick {

// `path` in double quotes, so that a blank at its start or end shows in a message.
std::string QuotedPath(const std::string& path);

// Why the file at `path` cannot be read as an input, as "<what> "<path>" does not exist." (or
// cannot be reached: permission denied on the folder <folder>, cannot be reached: <the
// system's reason> (a loop of symbolic links), is a folder, is not a regular file, cannot be
// read: <the system's reason>), or nothing when it is a readable regular file.
std::string InputFileProblem(const std::string& what, const std::string& path);

}  // namespace brenwick

#endif
