// Everything below a directory at one moment: what a run of the program may not change.
#ifndef BRENWICK_TESTS_DIR_SNAPSHOT_H
#define BRENWICK_TESTS_DIR_SNAPSHOT_H

#include <filesystem>
#include <map>
#include <string>
#include <vector>

namespace integration {

struct SnapshotEntry {
    std::filesystem::file_type type = std::filesystem::file_type::none;
    std::filesystem::perms permissions = std::filesystem::perms::none;
    unsigned long owner = 0, group = 0;
    unsigned long inode = 0, links = 0;  // a replaced file has a new inode; a hard link adds a link
    unsigned long device = 0;            // which device a device node stands for
    std::vector<unsigned char> contents;  // a file's bytes; a symbolic link's target

    bool operator==(const SnapshotEntry&) const = default;
};

// Entries by their path relative to the directory; symbolic links are not followed, device
// nodes and FIFOs are not opened.
using Snapshot = std::map<std::string, SnapshotEntry>;

Snapshot TakeSnapshot(const std::filesystem::path& directory);

// One line per entry that appeared, disappeared or changed; empty when nothing did.
std::string Differences(const Snapshot& before, const Snapshot& after);

}  // namespace integration

#endif
