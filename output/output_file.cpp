#include "output_file.h"

#if defined(_WIN32)
#include <fcntl.h>
#include <io.h>
#else
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

#include <algorithm>
#include <random>
#include <stdexcept>
#include <system_error>

namespace brenwick {

namespace fs = std::filesystem;

namespace {

// Gives a new file the owner and group of the file it replaces; false when the system refuses.
bool GiveOwnership(std::FILE* file, const OutputTarget& target) {
#if defined(_WIN32)
    (void)file;
    (void)target;
    return true;
#else
    const int descriptor = fileno(file);
    struct stat created {};
    if (fstat(descriptor, &created) != 0) return false;
    if (created.st_uid == target.owner && created.st_gid == target.group) return true;
    return fchown(descriptor, static_cast<uid_t>(target.owner), static_cast<gid_t>(target.group)) == 0;
#endif
}

// Opens an existing file or device for writing; never creates one.
std::FILE* OpenExisting(const fs::path& path, bool truncate) {
#if defined(_WIN32)
    (void)path;
    (void)truncate;
    return nullptr;  // ExamineOutput chooses no such output there
#else
    const int descriptor = open(path.c_str(), O_WRONLY | O_NOCTTY | O_CLOEXEC | (truncate ? O_TRUNC : 0));
    if (descriptor < 0) return nullptr;
    std::FILE* file = fdopen(descriptor, "wb");
    if (file == nullptr) close(descriptor);
    return file;
#endif
}

// Standard output, passing bytes as they are also where the system would translate line ends.
std::FILE* StandardOutputForBytes() {
#if defined(_WIN32)
    _setmode(_fileno(stdout), _O_BINARY);
#endif
    return stdout;
}

}  // namespace

OutputFile::OutputFile(const OutputDestination& destination, OutputMessages messages,
                       std::function<void()> check_stop)
    : name_(destination.Name()), messages_(std::move(messages)), check_stop_(std::move(check_stop)) {
    if (destination.IsStandardOutput()) {
        CheckStop();
        stream_ = StandardOutputForBytes();
        return;
    }
    const OutputTarget target = ExamineOutput(name_);
    switch (target.method) {
    case OutputMethod::Refused:
        FailToOpen();
    case OutputMethod::Replace:
        if (!OpenTemporaryFile(target)) OpenWhereItIs(target.path, true);
        break;
    case OutputMethod::InPlace:
        OpenWhereItIs(target.path, true);
        break;
    case OutputMethod::Straight:
        OpenWhereItIs(target.path, false);  // a device or FIFO has nothing to truncate
        break;
    }
}

void OutputFile::FailToOpen() const { throw std::runtime_error(messages_.open_failure + name_); }

void OutputFile::CheckStop() const {
    if (check_stop_) check_stop_();
}

// Throws the open message when no temporary file can be made; false when the new file cannot
// take over the owner, group or permissions of the file it replaces (it is then removed again).
bool OutputFile::OpenTemporaryFile(const OutputTarget& target) {
    // A short name of its own, so that it fits wherever the final name fits.
    std::random_device random;
    std::error_code error;
    for (int attempt = 0; attempt < 100 && !file_; ++attempt) {
        temporary_path_ = target.path.parent_path() / (".brenwick-" + std::to_string(random()) + ".tmp");
        // "x": fail rather than reuse a file that exists, whoever made it.
        file_.reset(std::fopen(temporary_path_.string().c_str(), "wbx"));
        if (!file_ && !fs::exists(temporary_path_, error)) break;
    }
    if (!file_) {
        temporary_path_.clear();
        FailToOpen();
    }
    stream_ = file_.get();
    final_path_ = target.path;
    if (!target.replaces_file) return true;
    // The owner first: a change of owner clears the set-user-ID and set-group-ID bits.
    if (GiveOwnership(file_.get(), target)) {
        fs::permissions(temporary_path_, target.permissions, error);
        if (!error) return true;
    }
    file_.reset();
    stream_ = nullptr;
    fs::remove(temporary_path_, error);
    temporary_path_.clear();
    return false;
}

void OutputFile::OpenWhereItIs(const fs::path& path, bool truncate) {
    // Once opened, such an output is written to the end: a stop now, or not at all.
    CheckStop();
    file_.reset(OpenExisting(path, truncate));
    if (!file_) FailToOpen();
    stream_ = file_.get();
}

OutputFile::~OutputFile() {
    file_.reset();
    if (!temporary_path_.empty()) {
        std::error_code ignored;
        fs::remove(temporary_path_, ignored);
    }
}

bool OutputFile::Write(const void* data, std::size_t bytes) {
    // Large blocks go in pieces, so that a request to stop is noticed within a fraction of a second.
    constexpr std::size_t piece = std::size_t{64} << 20;
    const bool may_stop = !temporary_path_.empty();  // only a temporary file may be left unfinished
    const auto* next = static_cast<const unsigned char*>(data);
    for (std::size_t left = bytes; left > 0 && !write_failed_;) {
        if (may_stop) CheckStop();
        const std::size_t n = std::min(left, piece);
        if (std::fwrite(next, 1, n, stream_) != n) write_failed_ = true;
        next += n;
        left -= n;
    }
    return !write_failed_;
}

void OutputFile::Commit() {
    bool complete = !write_failed_ && std::fflush(stream_) == 0;
    stream_ = nullptr;
    if (file_ && std::fclose(file_.release()) != 0) complete = false;
    if (complete && !temporary_path_.empty()) {
        std::error_code error;
        fs::rename(temporary_path_, final_path_, error);
        if (error) complete = false;
        else temporary_path_.clear();
    }
    if (!complete) throw std::runtime_error(messages_.write_failure + name_);
}

}  // namespace brenwick
