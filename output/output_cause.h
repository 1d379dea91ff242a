// Why an output cannot be opened, in words for the user, from the reason the system gave
// (errno): the cause that an OutputError carries beside its message.
#ifndef BRENWICK_OUTPUT_CAUSE_H
#define BRENWICK_OUTPUT_CAUSE_H

#include <filesystem>
#include <string>

namespace brenwick {

// A new file that cannot be made in `folder` (empty: the current folder): "The folder <folder>
// does not exist." (or "There is no permission to write in the folder <folder>.", "The folder
// <folder> is on a read-only file system.", else the system's reason).
std::string CreationCause(const std::filesystem::path& folder, int error);

// An existing file at `path` that cannot be opened for writing: "There is no permission to write
// the output <path>." (or "The output <path> is on a read-only file system.", else the system's
// reason). Nothing for the error 0, which says no more than the message.
std::string OpeningCause(const std::filesystem::path& path, int error);

}  // namespace brenwick

#endif
