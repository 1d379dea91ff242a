#include "output_target.h"

#if !defined(_WIN32)
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif
#if defined(__linux__)
#include <sys/xattr.h>
#endif

#include <cerrno>
#include <system_error>

namespace brenwick {

namespace fs = std::filesystem;

namespace {

// Where the file goes: through symbolic links (also dangling ones) to their target, so that
// the links survive. Empty when the path cannot name a file.
fs::path FinalPath(const std::string& path) {
    constexpr int link_limit = 40;  // as the system's own path resolution
    fs::path final_path(path);
    for (int links = 0; links < link_limit; ++links) {
        std::error_code error;
        if (!fs::is_symlink(fs::symlink_status(final_path, error))) {
            return final_path.has_filename() ? final_path : fs::path();
        }
        const fs::path target = fs::read_symlink(final_path, error);
        if (error) return {};
        final_path = target.is_absolute() ? target : final_path.parent_path() / target;
    }
    return {};
}

#if !defined(_WIN32)

// The kernel's own check for the effective user, so that access control lists and the powers
// of root count exactly as they will when the file is opened.
bool MayWrite(const fs::path& path, int access) { return faccessat(AT_FDCWD, path.c_str(), access, AT_EACCESS) == 0; }

fs::path Folder(const fs::path& path) { return path.parent_path().empty() ? fs::path(".") : path.parent_path(); }

// A new file does not inherit an access control list, so a file with one keeps its own.
bool HasAccessControlList(const fs::path& path) {
#if defined(__linux__)
    return getxattr(path.c_str(), "system.posix_acl_access", nullptr, 0) >= 0;
#else
    (void)path;
    return false;
#endif
}

// Renaming a new file over this one keeps its name only: other hard links would keep the old
// contents, and a folder the process may not write cannot take the new file.
bool CanBeReplaced(const struct stat& file, const fs::path& path) {
    return file.st_nlink == 1 && MayWrite(Folder(path), W_OK | X_OK) && !HasAccessControlList(path);
}

OutputMethod MethodFor(const struct stat& file, const fs::path& path) {
    if (S_ISDIR(file.st_mode)) return OutputMethod::Refused;
    if (!S_ISREG(file.st_mode)) return OutputMethod::Straight;
    if (!MayWrite(path, W_OK)) return OutputMethod::Refused;
    return CanBeReplaced(file, path) ? OutputMethod::Replace : OutputMethod::InPlace;
}

}  // namespace

OutputTarget ExamineOutput(const std::string& path) {
    OutputTarget target;
    target.path = FinalPath(path);
    if (target.path.empty()) return target;
    struct stat file {};
    if (stat(target.path.c_str(), &file) != 0) {
        // A missing file may be created; whether its folder takes it shows when it is created.
        if (errno == ENOENT) target.method = OutputMethod::Replace;
        return target;
    }
    target.method = MethodFor(file, target.path);
    target.replaces_file = target.method == OutputMethod::Replace;
    target.permissions = static_cast<fs::perms>(file.st_mode & 07777);
    target.owner = file.st_uid;
    target.group = file.st_gid;
    return target;
}

#else

}  // namespace

// Without the POSIX calls: a file its owner made read-only and a directory are left alone,
// anything else is replaced through a temporary file.
OutputTarget ExamineOutput(const std::string& path) {
    OutputTarget target;
    target.path = FinalPath(path);
    if (target.path.empty()) return target;
    std::error_code error;
    const fs::file_status existing = fs::status(target.path, error);
    if (existing.type() == fs::file_type::not_found) {
        target.method = OutputMethod::Replace;
    } else if (!error && !fs::is_directory(existing) &&
               (existing.permissions() & fs::perms::owner_write) != fs::perms::none) {
        target.method = OutputMethod::Replace;
        target.replaces_file = true;
        target.permissions = existing.permissions();
    }
    return target;
}

#endif

bool SameFile(const std::string& a, const std::string& b) {
    std::error_code error;
    return !a.empty() && !b.empty() && fs::equivalent(a, b, error) && !error;
}

}  // namespace brenwick
