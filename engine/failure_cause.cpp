#include "failure_cause.h"

#include "platform/utf8_path.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <system_error>

namespace brenwick {

std::string InputFileProblem(const std::string& what, const std::string& path) {
    namespace fs = std::filesystem;
    const std::string named = what + " " + path;
    const fs::path file_path = PathFromText(path);
    std::error_code error;
    const fs::file_status status = fs::status(file_path, error);
    if (!fs::exists(status)) return named + " does not exist.";
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
