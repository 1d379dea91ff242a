// An output file that appears only when complete: the bytes go to a temporary file beside it,
// which is renamed over the output once every byte is written, so that a failed or interrupted
// conversion never leaves a damaged file where the user expects one.
#ifndef BRENWICK_FIELDMAP_REPLACING_FILE_H
#define BRENWICK_FIELDMAP_REPLACING_FILE_H

#include <cstddef>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>
#include <system_error>

namespace brenwick::fieldmap {

class ReplacingFile {
public:
    // Throws std::runtime_error "cannot write <path>: <reason>" when no temporary file can be made
    // beside it.
    explicit ReplacingFile(const std::string& path);
    // Removes the temporary file unless Commit put it in place.
    ~ReplacingFile();
    ReplacingFile(const ReplacingFile&) = delete;
    ReplacingFile& operator=(const ReplacingFile&) = delete;

    // Throws std::runtime_error "cannot write <path>: <reason>" when the bytes cannot be written.
    void Write(const void* data, std::size_t bytes);
    // Closes the temporary file and renames it over the output. Throws as Write does.
    void Commit();

private:
    struct Closer {
        void operator()(std::FILE* file) const { std::fclose(file); }
    };
    [[noreturn]] void Fail(std::error_code reason) const;

    std::string path_;
    std::filesystem::path temporary_;
    std::unique_ptr<std::FILE, Closer> file_;
};

}  // namespace brenwick::fieldmap

#endif
