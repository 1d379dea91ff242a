#include "temporary_files.h"

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

void Forget(Registry& registry, const fs::path& path) {
    const auto found = std::find(registry.paths.begin(), registry.paths.end(), path);
    if (found != registry.paths.end()) registry.paths.erase(found);
}

}  // namespace

std::FILE* Create(const fs::path& path) {
    Registry& registry = TheRegistry();
    const std::lock_guard lock(registry.mutex);
    registry.paths.reserve(registry.paths.size() + 1);  // so that a file once made is also remembered
    // "x": fail rather than reuse a file that exists.
    std::FILE* file = std::fopen(path.string().c_str(), "wbx");
    if (file != nullptr) registry.paths.push_back(path);
    return file;
}

bool MoveIntoPlace(const fs::path& path, const fs::path& final_path) {
    Registry& registry = TheRegistry();
    const std::lock_guard lock(registry.mutex);
    std::error_code error;
    fs::rename(path, final_path, error);
    if (error) return false;
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
