// Files for tests: fresh temporary directories and whole-file reads and writes.
#ifndef BRENWICK_TESTS_TEST_FILES_H
#define BRENWICK_TESTS_TEST_FILES_H

#include <filesystem>
#include <set>
#include <span>
#include <string>
#include <vector>

namespace test_files {

// A fresh directory under the system's temporary directory, removed with everything in it.
class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::filesystem::path& path() const { return path_; }
    // Paths as text, UTF-8 on Windows as the program takes them (platform/utf8_path.h).
    std::string operator/(const std::string& name) const;
    // Names of the entries directly in the directory.
    std::set<std::string> Entries() const;

private:
    std::filesystem::path path_;
};

// Whether this system lets the tests make symbolic links; MinGW's standard library cannot make
// them on Windows. Tests of links skip where it does not, with kNoSymbolicLinks as the reason.
bool CanMakeSymbolicLinks();
inline constexpr const char* kNoSymbolicLinks = "symbolic links cannot be made on this system";

// Whole files; each throws std::runtime_error naming the path when it cannot be read or written.
std::vector<unsigned char> ReadBytes(const std::string& path);
std::string ReadText(const std::string& path);
void WriteBytes(const std::string& path, std::span<const unsigned char> bytes);
void WriteText(const std::string& path, const std::string& text);

}  // namespace test_files

#endif
