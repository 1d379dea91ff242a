// Paths in the 8-bit form that a C library on Windows expects: the ANSI code page. A result
// reader receives the project path so. On other systems the text passes as it is.
#ifndef BRENWICK_PLATFORM_ANSI_PATH_H
#define BRENWICK_PLATFORM_ANSI_PATH_H

#include <filesystem>
#include <optional>
#include <string>

namespace brenwick {

// The 8-bit path to hand such a library for `path` (text as in utf8_path.h): on Windows the path
// in the ANSI code page or, where that cannot spell it, the file's short name, which it can;
// nothing when neither exists (a name outside the code page on a volume without short names).
std::optional<std::string> AnsiPathFor(const std::string& path);

// The path that such an 8-bit text names.
std::filesystem::path PathFromAnsi(const char* text);

}  // namespace brenwick

#endif
