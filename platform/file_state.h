// Which file a path names and the state of its contents, to tell whether a file is still the one
// that was read: the same file, with the same size, last written at the same time.
#ifndef BRENWICK_PLATFORM_FILE_STATE_H
#define BRENWICK_PLATFORM_FILE_STATE_H

#include <cstdint>
#include <optional>
#include <string>

namespace brenwick {

// Device and inode; on Windows the volume's serial number and the file index.
struct FileIdentity {
    std::uint64_t device = 0;
    std::uint64_t file = 0;
    bool operator==(const FileIdentity&) const = default;
};

struct FileState {
    FileIdentity identity;
    std::uint64_t size = 0;
    // The last write, to the nanosecond (to 100 ns on Windows).
    std::int64_t modified_seconds = 0;
    std::int64_t modified_nanoseconds = 0;
    bool operator==(const FileState&) const = default;
};

// The state of what `path` names (text as in utf8_path.h), links followed; nothing when it cannot
// be examined (it does not exist, or a folder on the way may not be searched).
std::optional<FileState> FileStateOf(const std::string& path);

#if !defined(_WIN32)
// The same for what an open descriptor refers to.
std::optional<FileState> FileStateOf(int descriptor);
#endif

}  // namespace brenwick

#endif
