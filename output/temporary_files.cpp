#include "temporary_files.h"

#if defined(_WIN32)
#include <fcntl.h>
#include <io.h>
#include <sys/stat.h>
#include <windows.h>
#else
#include <fcntl.h>
#include <stdio.h>
#include <unistd.h>
#endif

#include <algorithm>
#include <cerrno>
#include <mutex>
#include <system_error>
#include <vector>

namespace brenwick::temporary_files {

namespace fs = std::filesystem;

namespace {

// A file is created and remembered, and renamed or removed and forgotten, under one lock, so
// that the end of the program finds every temporary file that exists.
struct Registry {
    std::mutex mutex;
    std::vector<fs::path> paths;
};

Registry& TheRegistry() {
    // Never destroyed: a signal may end the program while static objects are being destroyed.
    static Registry* registry = new Registry;
    return *registry;
}

#if !defined(_WIN32)

// A folder held open, so that a file in it is reached by its name alone: a temporary name longer
// than the output's then fits beside an output whose path is as long as the system allows.
class OpenFolder {
public:
    explicit OpenFolder(const fs::path& file)
        : descriptor_(
              open(file.has_parent_path() ? file.parent_path().c_str() : ".", kSearchOnly | O_DIRECTORY | O_CLOEXEC)) {}
    ~OpenFolder() {
        const int error = errno;  // what the caller reports stays the system's reason of its own call
        if (descriptor_ >= 0) close(descriptor_);
        errno = error;
    }
    OpenFolder(const OpenFolder&) = delete;
    OpenFolder& operator=(const OpenFolder&) = delete;

    // False when the folder cannot be opened, with errno saying why.
    bool IsOpen() const { return descriptor_ >= 0; }
    int Descriptor() const { return descriptor_; }

private:
#if defined(O_PATH)
    // A folder the process may search and write, but not list, still takes files.
    static constexpr int kSearchOnly = O_PATH;
#else
    static constexpr int kSearchOnly = O_RDONLY;
#endif
    int descriptor_;
};

#endif

// A new file for binary writing, or nullptr when one exists, whoever made it.
std::FILE* CreateNew(const fs::path& path) {
#if defined(_WIN32)
    // The C library of Windows ignores the "x" of fopen; _O_EXCL is its exclusive creation.
    const int descriptor =
        _wopen(path.c_str(), _O_WRONLY | _O_CREAT | _O_EXCL | _O_BINARY | _O_NOINHERIT, _S_IREAD | _S_IWRITE);
    if (descriptor < 0) return nullptr;
    std::FILE* file = _fdopen(descriptor, "wb");
    if (file == nullptr) _close(descriptor);
    return file;
#else
    const OpenFolder folder(path);
    if (!folder.IsOpen()) return nullptr;
    const int descriptor =
        openat(folder.Descriptor(), path.filename().c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOCTTY | O_CLOEXEC, 0666);
    if (descriptor < 0) return nullptr;
    std::FILE* file = fdopen(descriptor, "wb");
    if (file == nullptr) {
        const int error = errno;
        close(descriptor);
        unlinkat(folder.Descriptor(), path.filename().c_str(), 0);
        errno = error;
    }
    return file;
#endif
}

// Renames `path` to `final_path`; on Windows a file it replaces gives the new file its
// attributes and security, and a file that appeared meanwhile is not replaced.
bool Rename(const fs::path& path, const fs::path& final_path, bool replaces_file, unsigned long& system_error) {
#if defined(_WIN32)
    // Wine's ReplaceFileW takes full paths only.
    std::error_code error;
    const fs::path replaced = fs::absolute(final_path, error);
    const fs::path replacement = fs::absolute(path, error);
    const BOOL moved = replaces_file ? ReplaceFileW(replaced.c_str(), replacement.c_str(), nullptr,
                                                    REPLACEFILE_IGNORE_MERGE_ERRORS, nullptr, nullptr)
                                     : MoveFileExW(path.c_str(), final_path.c_str(), MOVEFILE_WRITE_THROUGH);
    if (!moved) system_error = GetLastError();
    return moved != 0;
#else
    (void)replaces_file;
    (void)system_error;
    const OpenFolder from(path);
    const OpenFolder to(final_path);
    return from.IsOpen() && to.IsOpen() &&
           renameat(from.Descriptor(), path.filename().c_str(), to.Descriptor(), final_path.filename().c_str()) == 0;
#endif
}

void RemoveFile(const fs::path& path) {
#if defined(_WIN32)
    std::error_code ignored;
    fs::remove(path, ignored);
#else
    const OpenFolder folder(path);
    if (folder.IsOpen()) unlinkat(folder.Descriptor(), path.filename().c_str(), 0);
#endif
}

void Forget(Registry& registry, const fs::path& path) {
    const auto found = std::find(registry.paths.begin(), registry.paths.end(), path);
    if (found != registry.paths.end()) registry.paths.erase(found);
}

}  // namespace

std::FILE* Create(const fs::path& path) {
    Registry& registry = TheRegistry();
    const std::lock_guard lock(registry.mutex);
    registry.paths.reserve(registry.paths.size() + 1);  // so that a file once made is also remembered
    std::FILE* file = CreateNew(path);
    if (file != nullptr) registry.paths.push_back(path);
    return file;
}

bool MoveIntoPlace(const fs::path& path, const fs::path& final_path, bool replaces_file, unsigned long& system_error) {
    Registry& registry = TheRegistry();
    const std::lock_guard lock(registry.mutex);
    if (!Rename(path, final_path, replaces_file, system_error)) return false;
    Forget(registry, path);
    return true;
}

void Remove(const fs::path& path) {
    Registry& registry = TheRegistry();
    const std::lock_guard lock(registry.mutex);
    RemoveFile(path);
    Forget(registry, path);
}

void RemoveAllBeforeTheEnd() {
    Registry& registry = TheRegistry();
    registry.mutex.lock();  // held until the program ends
    for (const fs::path& path : registry.paths) RemoveFile(path);
}

}  // namespace brenwick::temporary_files
