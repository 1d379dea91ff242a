// The destination of an export: where its bytes go and how an existing file is replaced, so
// that nothing the export did not create is damaged.
#ifndef BRENWICK_OUTPUT_FILE_H
#define BRENWICK_OUTPUT_FILE_H

#include "efm/writer.h"

#include <cstdio>
#include <filesystem>
#include <memory>
#include <stop_token>
#include <string>

namespace brenwick {

// An export file being written. The bytes go to a temporary file beside the output, which
// Commit renames over it once every byte is written and the file is closed; until then, and
// when the object is destroyed without Commit, the output keeps its old contents and the
// temporary file is removed.
class OutputFile : public efm::ByteSink {
public:
    // Throws std::runtime_error "BinaryFileFormat::Save: Error. Unable to open/create file:  <path>"
    // when the output cannot be written.
    // While the bytes go to a temporary file, a request to stop makes Write throw
    // ExportCancelled, so that a cancelled export leaves the output as it was.
    OutputFile(const std::string& path, std::stop_token stop);
    ~OutputFile() override;
    OutputFile(const OutputFile&) = delete;
    OutputFile& operator=(const OutputFile&) = delete;

    bool Write(const void* data, std::size_t bytes) override;

    // Puts the file in place. Throws std::runtime_error
    // "BinaryFileFormat::Save: Error. Unable to write file:  <path>" when a write, the flush,
    // the close or the rename failed.
    void Commit();

private:
    struct FileCloser {
        void operator()(std::FILE* file) const { std::fclose(file); }
    };

    std::string path_;                  // as the caller gave it, for the messages
    std::stop_token stop_;
    std::filesystem::path final_path_;  // where the file goes, links followed
    std::filesystem::path temporary_path_;
    std::unique_ptr<std::FILE, FileCloser> file_;
    bool keep_permissions_ = false;
    std::filesystem::perms permissions_{};
    bool write_failed_ = false;
};

}  // namespace brenwick

#endif
