// What the fuzz targets share: a scratch directory per process, whole-file reads and writes,
// and the check that turns a broken promise of the program into a crash that libFuzzer reports.
#ifndef BRENWICK_FUZZ_SUPPORT_H
#define BRENWICK_FUZZ_SUPPORT_H

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <set>
#include <string>
#include <string_view>
#include <vector>

namespace brenwick {

// A fresh directory under the system's temporary directory, removed with its contents.
class ScratchDir {
public:
    explicit ScratchDir(const std::string& purpose);
    ~ScratchDir();
    ScratchDir(const ScratchDir&) = delete;
    ScratchDir& operator=(const ScratchDir&) = delete;

    std::string File(const std::string& name) const { return (path_ / name).string(); }
    // Names of the entries directly in the directory.
    std::set<std::string> Entries() const;

private:
    std::filesystem::path path_;
};

std::vector<std::uint8_t> ReadFileBytes(const std::string& path);
void WriteFileBytes(const std::string& path, const std::uint8_t* data, std::size_t size);

// Prints what and aborts when holds is false.
void FuzzCheck(bool holds, std::string_view what);

// Puts the engine's informational lines on standard output to rest: they cost time and say
// nothing to a fuzzer.
void SilenceStandardOutput();

}  // namespace brenwick

#endif
