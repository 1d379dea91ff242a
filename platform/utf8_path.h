// Paths travel through the program as text in std::string: on Linux the file name's bytes as
// they are, on Windows UTF-8. These turn such a text into the system's path and back, so that
// on Windows any name the file system allows reaches the wide file functions unchanged.
#ifndef BRENWICK_PLATFORM_UTF8_PATH_H
#define BRENWICK_PLATFORM_UTF8_PATH_H

#include <filesystem>
#include <string>

namespace brenwick {

// Throws std::filesystem::filesystem_error on Windows for a text that is no UTF-8.
std::filesystem::path PathFromText(const std::string& text);
std::string TextFromPath(const std::filesystem::path& path);

}  // namespace brenwick

#endif
