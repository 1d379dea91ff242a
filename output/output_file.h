// An output file of the program (an export, a picture, a conversion): where its bytes go and how
// an existing file is replaced, so that nothing the program did not create is damaged.
#ifndef BRENWICK_OUTPUT_FILE_H
#define BRENWICK_OUTPUT_FILE_H

#include "output_destination.h"
#include "output_target.h"

#include <cstddef>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>

namespace brenwick {

// The texts of the two failures; the destination's name follows each.
struct OutputMessages {
    std::string open_failure = "cannot write ";   // the output cannot or may not be written
    std::string write_failure = "cannot write ";  // a write, the flush, the close or the rename failed
};

// An output file being written, in the way ExamineOutput (output_target.h) chooses for its
// path. A new file and a file that can be replaced safely get a temporary file beside them,
// which Commit renames into place once every byte is written and the file is closed; until
// then, and when the object is destroyed without Commit, the output keeps its old contents and
// the temporary file is removed. A replaced file's owner, group and permissions go to the new
// file; when the owner or group cannot be given to it, the file is written in place instead,
// like a file that cannot be replaced safely. Devices, FIFOs, sockets and standard output are
// written into as they are.
class OutputFile {
public:
    // Throws std::runtime_error with messages.open_failure and the name when the output cannot
    // or may not be written.
    // `check_stop` may throw to stop the writing: it is called between the pieces written to a
    // temporary file, so that a stopped writer leaves the output as it was, and for any other
    // output once, before it is opened, which is then written to the end, so that a stop never
    // leaves it partly written.
    explicit OutputFile(const OutputDestination& destination, OutputMessages messages = {},
                        std::function<void()> check_stop = {});
    ~OutputFile();
    OutputFile(const OutputFile&) = delete;
    OutputFile& operator=(const OutputFile&) = delete;

    // Takes the next bytes; false once a write failed (Commit then reports it).
    bool Write(const void* data, std::size_t bytes);

    // Completes the output. Throws std::runtime_error with messages.write_failure and the name
    // when a write, the flush, the close or the rename failed.
    void Commit();

private:
    struct FileCloser {
        void operator()(std::FILE* file) const { std::fclose(file); }
    };

    [[noreturn]] void FailToOpen() const;
    void CheckStop() const;
    bool OpenTemporaryFile(const OutputTarget& target);
    void OpenWhereItIs(const std::filesystem::path& path, bool truncate);

    std::string name_;  // as the caller gave it, for the messages
    OutputMessages messages_;
    std::function<void()> check_stop_;
    std::filesystem::path final_path_;      // where Commit renames the temporary file to
    std::filesystem::path temporary_path_;  // empty unless a temporary file exists
    std::unique_ptr<std::FILE, FileCloser> file_;
    std::FILE* stream_ = nullptr;  // file_, or the process's standard output
    bool write_failed_ = false;
};

}  // namespace brenwick

#endif
