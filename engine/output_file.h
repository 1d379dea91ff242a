// The destination of an export: where its bytes go and how an existing file is replaced, so
// that nothing the export did not create is damaged.
#ifndef BRENWICK_OUTPUT_FILE_H
#define BRENWICK_OUTPUT_FILE_H

#include "efm/writer.h"
#include "output_destination.h"
#include "output_target.h"

#include <cstdio>
#include <filesystem>
#include <memory>
#include <stop_token>
#include <string>

namespace brenwick {

// An export file being written, in the way ExamineOutput (output_target.h) chooses for its
// path. A new file and a file that can be replaced safely get a temporary file beside them,
// which Commit renames into place once every byte is written and the file is closed; until
// then, and when the object is destroyed without Commit, the output keeps its old contents and
// the temporary file is removed. A replaced file's owner, group and permissions go to the new
// file; when the owner or group cannot be given to it, the file is written in place instead,
// like a file that cannot be replaced safely. Devices, FIFOs, sockets and standard output are
// written into as they are.
class OutputFile : public efm::ByteSink {
public:
    // Throws std::runtime_error "BinaryFileFormat::Save: Error. Unable to open/create file:  <name>"
    // when the output cannot or may not be written.
    // While the bytes go to a temporary file, a request to stop makes Write throw
    // ExportCancelled, so that a cancelled export leaves the output as it was. Any other output
    // checks for a request to stop once, before it is opened, and is then written to the end, so
    // that a cancelled export never leaves it partly written.
    OutputFile(const OutputDestination& destination, std::stop_token stop);
    ~OutputFile() override;
    OutputFile(const OutputFile&) = delete;
    OutputFile& operator=(const OutputFile&) = delete;

    bool Write(const void* data, std::size_t bytes) override;

    // Completes the output. Throws std::runtime_error
    // "BinaryFileFormat::Save: Error. Unable to write file:  <name>" when a write, the flush,
    // the close or the rename failed.
    void Commit();

private:
    struct FileCloser {
        void operator()(std::FILE* file) const { std::fclose(file); }
    };

    [[noreturn]] void FailToOpen() const;
    bool OpenTemporaryFile(const OutputTarget& target);
    void OpenWhereItIs(const std::filesystem::path& path, bool truncate);

    std::string name_;  // as the caller gave it, for the messages
    std::stop_token stop_;
    std::filesystem::path final_path_;      // where Commit renames the temporary file to
    std::filesystem::path temporary_path_;  // empty unless a temporary file exists
    std::unique_ptr<std::FILE, FileCloser> file_;
    std::FILE* stream_ = nullptr;  // file_, or the process's standard output
    bool write_failed_ = false;
};

}  // namespace brenwick

#endif
