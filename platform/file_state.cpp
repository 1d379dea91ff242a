#include "platform/file_state.h"

#include "platform/utf8_path.h"

#if defined(_WIN32)
#include <windows.h>
#else
#include <sys/stat.h>
#endif

#include <filesystem>

namespace brenwick {

#if defined(_WIN32)

namespace {

std::uint64_t Joined(DWORD high, DWORD low) { return (std::uint64_t{high} << 32) | low; }

}  // namespace

std::optional<FileState> FileStateOf(const std::string& path) {
    std::filesystem::path file_path;
    try {
        file_path = PathFromText(path);
    } catch (const std::filesystem::filesystem_error&) {
        return std::nullopt;  // no UTF-8, so no file's name
    }
    // Asking for the attributes only opens also a file that another program holds open, and
    // the backup flag opens folders.
    const HANDLE file =
        CreateFileW(file_path.c_str(), FILE_READ_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                    nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (file == INVALID_HANDLE_VALUE) return std::nullopt;
    BY_HANDLE_FILE_INFORMATION information{};
    const bool known = GetFileInformationByHandle(file, &information) != 0;
    CloseHandle(file);
    if (!known) return std::nullopt;
    constexpr std::uint64_t ticks_per_second = 10'000'000;  // of 100 ns
    const std::uint64_t written =
        Joined(information.ftLastWriteTime.dwHighDateTime, information.ftLastWriteTime.dwLowDateTime);
    FileState state;
    state.identity = {information.dwVolumeSerialNumber, Joined(information.nFileIndexHigh, information.nFileIndexLow)};
    state.size = Joined(information.nFileSizeHigh, information.nFileSizeLow);
    state.modified_seconds = static_cast<std::int64_t>(written / ticks_per_second);
    state.modified_nanoseconds = static_cast<std::int64_t>(written % ticks_per_second * 100);
    return state;
}

#else

namespace {

FileState StateOf(const struct stat& file) {
    FileState state;
    state.identity = {static_cast<std::uint64_t>(file.st_dev), static_cast<std::uint64_t>(file.st_ino)};
    state.size = static_cast<std::uint64_t>(file.st_size);
    state.modified_seconds = file.st_mtim.tv_sec;
    state.modified_nanoseconds = file.st_mtim.tv_nsec;
    return state;
}

}  // namespace

std::optional<FileState> FileStateOf(const std::string& path) {
    struct stat file {};
    if (stat(PathFromText(path).c_str(), &file) != 0) return std::nullopt;
    return StateOf(file);
}

std::optional<FileState> FileStateOf(int descriptor) {
    struct stat file {};
    if (fstat(descriptor, &file) != 0) return std::nullopt;
    return StateOf(file);
}

#endif

}  // namespace brenwick
