#include "failure_cause.h"

#include "platform/utf8_path.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <system_error>

namespace brenwick {

namespace fs = std::filesystem;

namespace {

// The folder on the way to `path` that the user may not search, found as the parent of the
// first part of the path that permission keeps from view; empty when that part is a link
// whose own target lies behind such a folder, which its name does not show.
fs::path UnsearchableFolder(const fs::path& path) {
    fs::path reached;
    for (const fs::path& part : path) {
        const fs::path next = reached / part;
        std::error_code error;
        static_cast<void>(fs::status(next, error));  // only its error counts
        if (error == std::errc::permission_denied) {
            static_cast<void>(fs::symlink_status(next, error));
            if (!error) return {};
            return reached.empty() ? fs::path(".") : reached;
        }
        reached = next;
    }
    return {};
}

// Why a file that shows no status is out of reach: missing, or what keeps it from view.
std::string UnreachableCause(const std::string& named, const fs::path& path, const std::error_code& error) {
    if (!error || error == std::errc::no_such_file_or_directory || error == std::errc::not_a_directory) {
        return named + " does not exist.";
    }
    if (error == std::errc::permission_denied) {
        const fs::path folder = UnsearchableFolder(path);
        if (!folder.empty()) {
            return named + " cannot be reached: permission denied on the folder " + TextFromPath(folder) + ".";
        }
    }
    return named + " cannot be reached: " + error.message() + ".";
}

}  // namespace

std::string QuotedPath(const std::string& path) { return "\"" + path + "\""; }

std::string InputFileProblem(const std::string& what, const std::string& path) {
    const std::string named = what + " " + QuotedPath(path);
    const fs::path file_path = PathFromText(path);
    std::error_code error;
    const fs::file_status status = fs::status(file_path, error);
    if (!fs::exists(status)) return UnreachableCause(named, file_path, error);
    if (fs::is_directory(status)) return named + " is a folder, not a file.";
    if (!fs::is_regular_file(status)) return named + " is not a regular file.";
    // The C library's open, as the readers of these files use it, with the system's reason.
    errno = 0;
#if defined(_WIN32)
    std::FILE* file = _wfopen(file_path.c_str(), L"rb");
#else
    std::FILE* file = std::fopen(file_path.c_str(), "rb");
#endif
    if (file == nullptr) return named + " cannot be read: " + std::strerror(errno) + ".";
    std::fclose(file);
    return {};
}

}  // namespace brenwick
