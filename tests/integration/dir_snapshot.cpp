#include "dir_snapshot.h"

#include "tests/support/test_files.h"

#if !defined(_WIN32)
#include <sys/stat.h>
#endif

#include <set>
#include <stdexcept>

namespace fs = std::filesystem;

namespace integration {

namespace {

SnapshotEntry EntryOf(const fs::directory_entry& entry) {
    SnapshotEntry snapshot;
    const fs::file_status status = entry.symlink_status();
    snapshot.type = status.type();
    snapshot.permissions = status.permissions();
#if defined(_WIN32)
    // Windows has no owners, inodes or devices of this kind; the links are counted.
    snapshot.links = entry.is_regular_file() ? fs::hard_link_count(entry.path()) : 1;
#else
    struct stat node {};
    if (lstat(entry.path().c_str(), &node) != 0) throw std::runtime_error("cannot examine " + entry.path().string());
    snapshot.owner = node.st_uid;
    snapshot.group = node.st_gid;
    snapshot.inode = node.st_ino;
    snapshot.links = node.st_nlink;
    snapshot.device = node.st_rdev;
#endif
    if (snapshot.type == fs::file_type::regular) {
        snapshot.contents = test_files::ReadBytes(entry.path().string());
    } else if (snapshot.type == fs::file_type::symlink) {
        const std::string target = fs::read_symlink(entry.path()).string();
        snapshot.contents.assign(target.begin(), target.end());
    }
    return snapshot;
}

std::string Change(const SnapshotEntry& before, const SnapshotEntry& after) {
    if (before.type != after.type) return "changed its kind";
    if (before.permissions != after.permissions) return "changed its permissions";
    if (before.owner != after.owner || before.group != after.group) return "changed its owner or group";
    if (before.inode != after.inode || before.links != after.links) return "was replaced or changed its links";
    if (before.device != after.device) return "changed the device it stands for";
    return "changed its contents (" + std::to_string(before.contents.size()) + " -> " +
           std::to_string(after.contents.size()) + " bytes)";
}

}  // namespace

Snapshot TakeSnapshot(const fs::path& directory) {
    Snapshot snapshot;
    for (const fs::directory_entry& entry : fs::recursive_directory_iterator(directory)) {
        snapshot[fs::relative(entry.path(), directory).string()] = EntryOf(entry);
    }
    return snapshot;
}

std::string Differences(const Snapshot& before, const Snapshot& after) {
    std::set<std::string> names;
    for (const auto& [name, entry] : before) names.insert(name);
    for (const auto& [name, entry] : after) names.insert(name);
    std::string differences;
    for (const std::string& name : names) {
        const auto old_entry = before.find(name);
        const auto new_entry = after.find(name);
        if (old_entry == before.end()) {
            differences += name + " appeared\n";
        } else if (new_entry == after.end()) {
            differences += name + " disappeared\n";
        } else if (!(old_entry->second == new_entry->second)) {
            differences += name + " " + Change(old_entry->second, new_entry->second) + "\n";
        }
    }
    return differences;
}

}  // namespace integration
