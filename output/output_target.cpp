#include "output_target.h"

#include "platform/file_state.h"
#include "platform/utf8_path.h"

#if defined(_WIN32)
#include <windows.h>
#else
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif
#if defined(__linux__)
#include <sys/xattr.h>
#endif

#include <cerrno>
#include <charconv>
#include <system_error>
#include <vector>

namespace brenwick {

namespace fs = std::filesystem;

namespace {

// The path and each link it leads through, in order: the last entry is no link. Empty when the
// links loop or one cannot be read.
std::vector<fs::path> LinkChain(const std::string& path) {
    constexpr int link_limit = 40;  // as the system's own path resolution
    std::vector<fs::path> chain{PathFromText(path)};
    for (int links = 0; links < link_limit; ++links) {
        const fs::path& link = chain.back();
        std::error_code error;
        if (!fs::is_symlink(fs::symlink_status(link, error))) return chain;
        const fs::path target = fs::read_symlink(link, error);
        if (error) return {};
        chain.push_back(target.is_absolute() ? target : link.parent_path() / target);
    }
    return {};
}

// Where the file goes: through symbolic links (also dangling ones) to their target, so that
// the links survive. Empty when the path cannot name a file.
fs::path FinalPath(const std::string& path) {
    const std::vector<fs::path> chain = LinkChain(path);
    return chain.empty() || !chain.back().has_filename() ? fs::path() : chain.back();
}

// For names of files not made yet: the same place once their links are followed and their
// relative parts resolved.
bool SamePlace(const std::string& output, const std::string& input) {
    const auto place = [](const std::string& path) {
        const fs::path final_path = FinalPath(path);
        std::error_code error;
        const fs::path resolved =
            final_path.empty() ? fs::path() : fs::weakly_canonical(fs::absolute(final_path), error);
        return error ? fs::path() : resolved;
    };
    const fs::path output_place = place(output);
    return !output_place.empty() && output_place == place(input);
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

// A file mounted where it is (as containers mount single files) cannot be renamed over. The
// mount shows in the file's attributes, and where the system has none, in a device other than
// its folder's.
bool IsMountPoint(const struct stat& file, const fs::path& path) {
#if defined(STATX_ATTR_MOUNT_ROOT)
    struct statx attributes {};
    if (statx(AT_FDCWD, path.c_str(), 0, 0, &attributes) == 0 &&
        (attributes.stx_attributes_mask & STATX_ATTR_MOUNT_ROOT) != 0) {
        return (attributes.stx_attributes & STATX_ATTR_MOUNT_ROOT) != 0;
    }
#endif
    struct stat folder {};
    return stat(Folder(path).c_str(), &folder) == 0 && folder.st_dev != file.st_dev;
}

// Renaming a new file over this one keeps its name only: other hard links would keep the old
// contents, a folder the process may not write cannot take the new file, and a file mounted
// where it is cannot be renamed over.
bool CanBeReplaced(const struct stat& file, const fs::path& path) {
    return file.st_nlink == 1 && MayWrite(Folder(path), W_OK | X_OK) && !HasAccessControlList(path) &&
           !IsMountPoint(file, path);
}

// `refusal`: why the file may not be written, when it is Refused for that.
OutputMethod MethodFor(const struct stat& file, const fs::path& path, int& refusal) {
    if (S_ISDIR(file.st_mode)) return OutputMethod::Refused;
    if (S_ISFIFO(file.st_mode)) return OutputMethod::Fifo;
    if (!S_ISREG(file.st_mode)) return OutputMethod::Straight;
    if (!MayWrite(path, W_OK)) {
        refusal = errno;
        return OutputMethod::Refused;
    }
    return CanBeReplaced(file, path) ? OutputMethod::Replace : OutputMethod::InPlace;
}

// The number that a name spells, as the folders of open descriptors name their links.
std::optional<int> NumberNamed(const std::string& name) {
    int number = -1;
    const auto [end, failure] = std::from_chars(name.data(), name.data() + name.size(), number);
    if (failure != std::errc() || end != name.data() + name.size()) return std::nullopt;
    return number;
}

// Whether a link is one of the system's links to open files: those live on the process file
// system, which /proc/self is part of.
bool OnProcessFileSystem(const fs::path& link) {
    struct stat entry {};
    struct stat process {};
    return lstat(link.c_str(), &entry) == 0 && stat("/proc/self", &process) == 0 && entry.st_dev == process.st_dev;
}

// A link that lists one of this process's open descriptors: a link to an open file, named N,
// that leads to the file the process's descriptor N is open on. Compared by identity, so that
// every folder that lists them counts, whatever its spelling: the process's own (/proc/self/fd,
// /dev/fd, /proc/PID/fd) and each of its threads' (/proc/thread-self/fd, /proc/self/task/TID/fd).
std::optional<int> DescriptorLink(const fs::path& link) {
    const std::optional<int> descriptor = NumberNamed(link.filename().string());
    if (!descriptor || !OnProcessFileSystem(link)) return std::nullopt;
    const std::optional<FileState> target = FileStateOf(link.string());
    const std::optional<FileState> open_file = FileStateOf(*descriptor);
    return target && open_file && target->identity == open_file->identity ? descriptor : std::nullopt;
}

std::optional<FileState> StateOf(const OutputDestination& output) {
    const std::optional<int> descriptor = DescriptorOf(output);
    return descriptor ? FileStateOf(*descriptor) : FileStateOf(output.Name());
}

}  // namespace

std::optional<int> DescriptorOf(const OutputDestination& output) {
    if (output.IsStandardOutput()) return kStandardOutputDescriptor;
    const std::vector<fs::path> chain = LinkChain(output.Name());
    // The last entry is no link, so no descriptor.
    for (std::size_t link = 0; link + 1 < chain.size(); ++link) {
        if (const std::optional<int> descriptor = DescriptorLink(chain[link])) return descriptor;
    }
    return std::nullopt;
}

bool SameFile(const OutputDestination& output, const std::string& input) {
    if (input.empty()) return false;
    const std::optional<FileState> output_state = StateOf(output);
    const std::optional<FileState> input_state = FileStateOf(input);
    if (output_state && input_state) return output_state->identity == input_state->identity;
    return !output.IsStandardOutput() && SamePlace(output.Name(), input);
}

bool SharesFileWith(const OutputDestination& output, int descriptor) {
    struct stat file {};
    const std::optional<FileState> state = StateOf(output);
    const std::optional<FileState> open_file = FileStateOf(descriptor);
    return state && open_file && fstat(descriptor, &file) == 0 && !S_ISCHR(file.st_mode) &&
           state->identity == open_file->identity;
}

OutputTarget ExamineOutput(const std::string& path) {
    OutputTarget target;
    target.path = FinalPath(path);
    if (target.path.empty()) return target;
    struct stat file {};
    if (stat(target.path.c_str(), &file) != 0) {
        // A missing file may be created; whether its folder takes it shows when it is created.
        if (errno == ENOENT) {
            target.method = OutputMethod::Replace;
        } else {
            target.error = errno;
        }
        return target;
    }
    target.method = MethodFor(file, target.path, target.error);
    target.replaces_file = target.method == OutputMethod::Replace;
    target.permissions = static_cast<fs::perms>(file.st_mode & 07777);
    target.owner = file.st_uid;
    target.group = file.st_gid;
    return target;
}

#else

// Whether another program holds the file open without letting others rename or delete it, so
// that a replacement would fail once the whole export is written: the system's error, else
// ERROR_SUCCESS.
DWORD HeldAgainstReplacing(const fs::path& path) {
    const HANDLE file = CreateFileW(path.c_str(), DELETE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                    nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return GetLastError();
    CloseHandle(file);
    return ERROR_SUCCESS;
}

// What the system lets this process do with an existing file: a directory and a read-only file
// are refused, as is a file it may not open for writing (its access control list, or another
// program that holds it open without sharing it for writing); a device is written into; a file
// with several hard links is written in place, since a new file would leave the other links
// with the old contents; any other file is replaced, unless another program holds it open
// against that, when it is refused too.
void Examine(DWORD attributes, OutputTarget& target) {
    if ((attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) return;
    if ((attributes & FILE_ATTRIBUTE_READONLY) != 0) {
        target.system_error = ERROR_ACCESS_DENIED;
        return;
    }
    // Opening an existing file for writing, without truncating it, changes nothing.
    const HANDLE file =
        CreateFileW(target.path.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                    OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        target.system_error = GetLastError();
        return;
    }
    BY_HANDLE_FILE_INFORMATION information{};
    const bool disk_file = GetFileType(file) == FILE_TYPE_DISK;
    const bool known = GetFileInformationByHandle(file, &information) != 0;
    CloseHandle(file);
    if (!disk_file) {
        target.method = OutputMethod::Straight;
    } else if (!known || information.nNumberOfLinks != 1) {
        target.method = OutputMethod::InPlace;
    } else if (const DWORD held = HeldAgainstReplacing(target.path); held != ERROR_SUCCESS) {
        target.system_error = held;
    } else {
        target.method = OutputMethod::Replace;
        target.replaces_file = true;
        std::error_code error;
        target.permissions = fs::status(target.path, error).permissions();
    }
}

}  // namespace

OutputTarget ExamineOutput(const std::string& path) {
    OutputTarget target;
    target.path = FinalPath(path);
    if (target.path.empty()) return target;
    const DWORD attributes = GetFileAttributesW(target.path.c_str());
    const DWORD error = attributes == INVALID_FILE_ATTRIBUTES ? GetLastError() : ERROR_SUCCESS;
    if (error == ERROR_SUCCESS) {
        Examine(attributes, target);
    } else if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND) {
        // A missing file may be created; whether its folder takes it shows when it is created.
        target.method = OutputMethod::Replace;
    } else {
        target.system_error = error;
    }
    return target;
}

// Descriptor folders and links to them are POSIX; standard output is written into as it is.
std::optional<int> DescriptorOf(const OutputDestination& output) {
    if (output.IsStandardOutput()) return kStandardOutputDescriptor;
    return std::nullopt;
}

// Open files are not compared by identity on Windows yet: there an output that is standard
// error's file is not found.
bool SharesFileWith(const OutputDestination&, int) { return false; }

bool SameFile(const OutputDestination& output, const std::string& input) {
    if (output.IsStandardOutput() || input.empty()) return false;
    std::error_code error;
    const bool same = fs::equivalent(PathFromText(output.Name()), PathFromText(input), error);
    // An error: neither names an existing file.
    return error ? SamePlace(output.Name(), input) : same;
}

#endif

}  // namespace brenwick
