#include "output_cause.h"

#include "platform/utf8_path.h"

#include <cerrno>
#include <cstring>
#include <system_error>

namespace brenwick {

namespace fs = std::filesystem;

namespace {

// The folder as the user knows it; the current one by its full name, since "." says nothing.
std::string FolderName(const fs::path& folder) {
    std::error_code error;
    return TextFromPath(folder.empty() ? fs::current_path(error) : folder);
}

}  // namespace

std::string CreationCause(const fs::path& folder, int error) {
    const std::string name = FolderName(folder);
    switch (error) {
    case ENOENT: return "The folder " + name + " does not exist.";
    case EACCES:
    case EPERM: return "There is no permission to write in the folder " + name + ".";
    case EROFS: return "The folder " + name + " is on a read-only file system.";
    default: return "No file can be made in the folder " + name + ": " + std::strerror(error) + ".";
    }
}

std::string OpeningCause(const fs::path& path, int error) {
    const std::string name = TextFromPath(path);
    switch (error) {
    case 0: return {};
    case EACCES:
    case EPERM: return "There is no permission to write the output " + name + ".";
    case EROFS: return "The output " + name + " is on a read-only file system.";
    default: return "The output " + name + " cannot be opened for writing: " + std::strerror(error) + ".";
    }
}

}  // namespace brenwick
