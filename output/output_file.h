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

// What the writer of an output may be asked and told while it works.
struct OutputControl {
    // May throw to stop the writing. It is called between the pieces written to a temporary
    // file and while a FIFO waits for its reader, so that a stopped writer leaves the output as
    // it was, and for any other output once, before it is opened: such an output is then
    // written to the end, so that a stop never leaves it partly written.
    std::function<void()> check_stop;
    // Receives a line for the user when the writer waits: for a reader of a FIFO, after a second.
    std::function<void(const std::string& line)> notify;
};

// An output file being written, in the way ExamineOutput (output_target.h) chooses for its
// path. A new file and a file that can be replaced safely get a temporary file beside them,
// which Commit renames into place once every byte is written and the file is closed; until
// then, and when the object is destroyed without Commit, the output keeps its old contents and
// the temporary file is removed (also when a signal ends the program: temporary_files.h). A
// replaced file's owner, group and permissions go to the new file; when the owner or group
// cannot be given to it, the file is written in place instead, like a file that cannot be
// replaced safely. Devices and FIFOs are written into as they are, and so is a descriptor of
// the process that the destination names (DescriptorOf), at its current position: nothing is
// created, truncated or renamed.
class OutputFile {
public:
    // Throws OutputError with messages.open_failure and the name when the output cannot
    // or may not be written (a descriptor open only for reading included); its cause says why
    // where the system did (a missing folder, no permission, a read-only file system).
    explicit OutputFile(const OutputDestination& destination, OutputMessages messages = {}, OutputControl control = {});
    ~OutputFile();
    OutputFile(const OutputFile&) = delete;
    OutputFile& operator=(const OutputFile&) = delete;

    // Takes the next bytes; false once a write failed (Commit then reports it).
    bool Write(const void* data, std::size_t bytes);

    // Completes the output. Throws OutputError with messages.write_failure and the name
    // when a write, the flush, the close or the rename failed; " (closed by its reader)" follows
    // when the output was a pipe or FIFO whose reader had gone.
    void Commit();

private:
    struct FileCloser {
        void operator()(std::FILE* file) const { std::fclose(file); }
    };

    // On Windows the messages also say why, from the system's error code (0: no code).
    // `cause`: why, in words for the user (output_cause.h), where the system said it.
    [[noreturn]] void FailToOpen(unsigned long system_error, std::string cause = {}) const;
    static std::string Why(unsigned long system_error);
    void CheckStop() const;
    void Open(std::FILE* file);
    bool OpenTemporaryFile(const OutputTarget& target);
    void OpenWhereItIs(const std::filesystem::path& path, bool truncate);
    void OpenFifoOnceRead(const std::filesystem::path& path);
    void NoteFailure();

    std::string name_;  // as the caller gave it, for the messages
    OutputMessages messages_;
    OutputControl control_;
    std::filesystem::path final_path_;      // where Commit renames the temporary file to
    std::filesystem::path temporary_path_;  // empty unless a temporary file exists
    bool replaces_file_ = false;            // whether Commit puts it in an existing file's place
    std::unique_ptr<std::FILE, FileCloser> file_;
    bool write_failed_ = false;
    bool reader_gone_ = false;  // a write found the pipe or FIFO without its reader
};

}  // namespace brenwick

#endif
