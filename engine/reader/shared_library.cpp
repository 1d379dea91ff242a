#include "shared_library.h"

#include "engine/engine_error.h"

#include <string>

#if defined(_WIN32)
#include "platform/utf8_path.h"
#include "platform/windows_error.h"

#include <windows.h>
#else
#include <dlfcn.h>
#endif

namespace brenwick {

#if defined(_WIN32)

SharedLibrary::SharedLibrary(const std::filesystem::path& path) : handle_(LoadLibraryW(path.c_str())) {
    // The loader's texts name the library as "%1".
    if (handle_ == nullptr) throw ReaderError(WindowsErrorText(GetLastError(), TextFromPath(path)));
}

SharedLibrary::~SharedLibrary() { FreeLibrary(static_cast<HMODULE>(handle_)); }

void* SharedLibrary::Symbol(const char* name) const {
    return reinterpret_cast<void*>(GetProcAddress(static_cast<HMODULE>(handle_), name));
}

#else

SharedLibrary::SharedLibrary(const std::filesystem::path& path) : handle_(dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL)) {
    if (handle_ == nullptr) {
        const char* error = dlerror();
        throw ReaderError(error != nullptr ? error : "unknown error");
    }
}

SharedLibrary::~SharedLibrary() { dlclose(handle_); }

void* SharedLibrary::Symbol(const char* name) const { return dlsym(handle_, name); }

#endif

}  // namespace brenwick
