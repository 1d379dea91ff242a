// A shared library loaded at run time (dlopen on Linux, LoadLibraryW on Windows), unloaded when
// the object goes.
#ifndef BRENWICK_SHARED_LIBRARY_H
#define BRENWICK_SHARED_LIBRARY_H

#include <filesystem>

namespace brenwick {

class SharedLibrary {
public:
    // Loads the library with all its symbols resolved now. Throws ReaderError with the
    // system loader's own text when that fails.
    explicit SharedLibrary(const std::filesystem::path& path);
    ~SharedLibrary();
    SharedLibrary(const SharedLibrary&) = delete;
    SharedLibrary& operator=(const SharedLibrary&) = delete;

    // The address of an exported symbol, or null when the library has none of that name.
    void* Symbol(const char* name) const;

private:
    void* handle_ = nullptr;
};

}  // namespace brenwick

#endif
