#include "temporary_files.h"

#if defined(_WIN32)
#include <fcntl.h>
#include <io.h>
#include <sys/stat.h>
#include <windows.h>
#endif

#include <algorithm>
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
    return std::fopen(path.string().c_str(), "wbx");
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
    std::error_code error;
    fs::rename(path, final_path, error);
    return !error;
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
    std::error_code ignored;
    fs::remove(path, ignored);
    Forget(registry, path);
}

void RemoveAllBeforeTheEnd() {
    Registry& registry = TheRegistry();
    registry.mutex.lock();  // held until the program ends
    for (const fs::path& path : registry.paths) {
        std::error_code ignored;
        fs::remove(path, ignored);
    }
}

}  // namespace brenwick::temporary_files
