#include "output_file.h"

#include "output_cause.h"
#include "output_error.h"

#include "platform/write_error.h"
#include "temporary_files.h"

#if defined(_WIN32)
#include "platform/windows_error.h"

#include <fcntl.h>
#include <io.h>
#include <sys/stat.h>
#include <windows.h>
#else
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <random>
#include <stdexcept>
#include <system_error>
#include <thread>

namespace brenwick {

namespace fs = std::filesystem;

namespace {

// A FIFO without a reader is tried this often, so that a request to stop ends the wait soon.
constexpr std::chrono::milliseconds kFifoRetry{100};
// How long a FIFO waits for its reader before the user is told.
constexpr std::chrono::seconds kFifoNoticeAfter{1};

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

// Gives the new file at `path` the permissions of the file it replaces; false when the system
// refuses. Through the open file where the system allows it, since the path may only fit as
// the name in its folder (temporary_files.h).
bool GivePermissions(std::FILE* file, const fs::path& path, fs::perms permissions) {
#if defined(_WIN32)
    (void)file;
    std::error_code error;
    fs::permissions(path, permissions, error);
    return !error;
#else
    (void)path;
    return fchmod(fileno(file), static_cast<mode_t>(permissions)) == 0;
#endif
}

#if defined(_WIN32)

// A copy of one of the process's descriptors, passing bytes as they are.
std::FILE* OpenDescriptor(int descriptor) {
    _setmode(descriptor, _O_BINARY);
    const int copy = _dup(descriptor);
    if (copy < 0) return nullptr;
    std::FILE* file = _fdopen(copy, "wb");
    if (file == nullptr) _close(copy);
    return file;
}

std::FILE* StreamOf(int descriptor) {
    if (descriptor < 0) return nullptr;
    std::FILE* file = _fdopen(descriptor, "wb");
    if (file == nullptr) _close(descriptor);
    return file;
}

// Opens an existing file or device for writing; never creates one.
std::FILE* OpenExisting(const fs::path& path, bool truncate) {
    return StreamOf(_wopen(path.c_str(), _O_WRONLY | _O_BINARY | _O_NOINHERIT | (truncate ? _O_TRUNC : 0)));
}

// The system's error code of the last failed open, for the message.
unsigned long LastOpenError() { return _doserrno; }

// ExamineOutput chooses no FIFO there.
std::FILE* OpenFifoIfRead(const fs::path&, bool& no_reader) {
    no_reader = false;
    return nullptr;
}

#else

std::FILE* StreamOf(int descriptor) {
    if (descriptor < 0) return nullptr;
    std::FILE* file = fdopen(descriptor, "wb");
    if (file == nullptr) close(descriptor);
    return file;
}

// A copy of one of the process's descriptors, so that closing it leaves the descriptor open;
// nullptr when the descriptor is not open for writing.
std::FILE* OpenDescriptor(int descriptor) {
    const int mode = fcntl(descriptor, F_GETFL);
    if (mode < 0 || (mode & O_ACCMODE) == O_RDONLY) return nullptr;
    return StreamOf(fcntl(descriptor, F_DUPFD_CLOEXEC, 0));
}

// Opens an existing file or device for writing; never creates one.
std::FILE* OpenExisting(const fs::path& path, bool truncate) {
    return StreamOf(open(path.c_str(), O_WRONLY | O_NOCTTY | O_CLOEXEC | (truncate ? O_TRUNC : 0)));
}

// Messages name no system error here.
unsigned long LastOpenError() { return 0; }

// Opens a FIFO for writing without waiting for a reader: nullptr, with `no_reader`, while it has
// none.
std::FILE* OpenFifoIfRead(const fs::path& path, bool& no_reader) {
    const int descriptor = open(path.c_str(), O_WRONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    no_reader = descriptor < 0 && errno == ENXIO;
    if (descriptor < 0) return nullptr;
    // Once read, writes wait for the reader as into any FIFO.
    const int flags = fcntl(descriptor, F_GETFL);
    if (flags < 0 || fcntl(descriptor, F_SETFL, flags & ~O_NONBLOCK) != 0) {
        close(descriptor);
        return nullptr;
    }
    return StreamOf(descriptor);
}

#endif

}  // namespace

OutputFile::OutputFile(const OutputDestination& destination, OutputMessages messages, OutputControl control)
    : name_(destination.Name()), messages_(std::move(messages)), control_(std::move(control)) {
    if (const std::optional<int> descriptor = DescriptorOf(destination)) {
        CheckStop();
        Open(OpenDescriptor(*descriptor));
        return;
    }
    const OutputTarget target = ExamineOutput(name_);
    switch (target.method) {
    case OutputMethod::Refused: FailToOpen(target.system_error, OpeningCause(target.path, target.error));
    case OutputMethod::Replace:
        if (!OpenTemporaryFile(target)) OpenWhereItIs(target.path, true);
        break;
    case OutputMethod::InPlace: OpenWhereItIs(target.path, true); break;
    case OutputMethod::Straight:
        OpenWhereItIs(target.path, false);  // a device has nothing to truncate
        break;
    case OutputMethod::Fifo: OpenFifoOnceRead(target.path); break;
    }
}

void OutputFile::FailToOpen(unsigned long system_error, std::string cause) const {
    throw OutputError(messages_.open_failure + name_ + Why(system_error), std::move(cause));
}

// On Windows the system's reason follows on a line of its own where the user can act on it:
// the file is read-only or not theirs to write, or another program holds it open.
std::string OutputFile::Why([[maybe_unused]] unsigned long system_error) {
#if defined(_WIN32)
    switch (system_error) {
    case ERROR_ACCESS_DENIED:
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION:
    case ERROR_UNABLE_TO_REMOVE_REPLACED:
    case ERROR_UNABLE_TO_MOVE_REPLACEMENT:
    case ERROR_UNABLE_TO_MOVE_REPLACEMENT_2: return "\n" + WindowsErrorText(system_error);
    default: break;
    }
#endif
    return {};
}

void OutputFile::CheckStop() const {
    if (control_.check_stop) control_.check_stop();
}

void OutputFile::Open(std::FILE* file) {
    file_.reset(file);
    if (!file_) FailToOpen(LastOpenError());
}

// Throws the open message when no temporary file can be made; false when the new file cannot
// take over the owner, group or permissions of the file it replaces (it is then removed again).
bool OutputFile::OpenTemporaryFile(const OutputTarget& target) {
    // A short name of its own, so that it fits wherever the final name fits.
    std::random_device random;
    int error = 0;
    for (int attempt = 0; attempt < 100 && !file_; ++attempt) {
        temporary_path_ = target.path.parent_path() / (".brenwick-" + std::to_string(random()) + ".tmp");
        file_.reset(temporary_files::Create(temporary_path_));
        error = errno;
        if (!file_ && error != EEXIST) break;
    }
    if (!file_) {
        temporary_path_.clear();
        FailToOpen(LastOpenError(), CreationCause(target.path.parent_path(), error));
    }
    final_path_ = target.path;
    replaces_file_ = target.replaces_file;
    if (!target.replaces_file) return true;
    // The owner first: a change of owner clears the set-user-ID and set-group-ID bits.
    if (GiveOwnership(file_.get(), target) && GivePermissions(file_.get(), temporary_path_, target.permissions)) {
        return true;
    }
    file_.reset();
    temporary_files::Remove(temporary_path_);
    temporary_path_.clear();
    return false;
}

void OutputFile::OpenWhereItIs(const fs::path& path, bool truncate) {
    // Once opened, such an output is written to the end: a stop now, or not at all.
    CheckStop();
    file_.reset(OpenExisting(path, truncate));
    if (!file_) FailToOpen(LastOpenError(), OpeningCause(path, errno));
}

// Opening a FIFO waits for a reader, and a wait inside open() would take no request to stop:
// so it is tried without waiting, a few times a second, until a reader has come.
void OutputFile::OpenFifoOnceRead(const fs::path& path) {
    const auto start = std::chrono::steady_clock::now();
    bool told = false;
    for (;;) {
        CheckStop();
        bool no_reader = false;
        file_.reset(OpenFifoIfRead(path, no_reader));
        if (file_) return;
        if (!no_reader) FailToOpen(0, OpeningCause(path, errno));
        if (!told && std::chrono::steady_clock::now() - start >= kFifoNoticeAfter) {
            if (control_.notify) control_.notify("Waiting for a reader of the FIFO " + name_);
            told = true;
        }
        std::this_thread::sleep_for(kFifoRetry);
    }
}

OutputFile::~OutputFile() {
    file_.reset();
    if (!temporary_path_.empty()) temporary_files::Remove(temporary_path_);
}

void OutputFile::NoteFailure() {
    write_failed_ = true;
    if (WriteFoundNoReader()) reader_gone_ = true;
}

bool OutputFile::Write(const void* data, std::size_t bytes) {
    // Large blocks go in pieces, so that a request to stop is noticed within a fraction of a
    // second. Pieces of 1 MiB also keep the system from taking 2 MiB pages for the file's cache,
    // which in some virtual machines now and then made a 150 MB export ten times slower to write.
    constexpr std::size_t piece = std::size_t{1} << 20;
    const bool may_stop = !temporary_path_.empty();  // only a temporary file may be left unfinished
    const auto* next = static_cast<const unsigned char*>(data);
    for (std::size_t left = bytes; left > 0 && !write_failed_;) {
        if (may_stop) CheckStop();
        const std::size_t n = std::min(left, piece);
        if (std::fwrite(next, 1, n, file_.get()) != n) NoteFailure();
        next += n;
        left -= n;
    }
    return !write_failed_;
}

void OutputFile::Commit() {
    std::FILE* const file = file_.release();
    if (!write_failed_ && std::fflush(file) != 0) NoteFailure();
    bool complete = !write_failed_;
    if (std::fclose(file) != 0) complete = false;
    unsigned long system_error = 0;
    if (complete && !temporary_path_.empty()) {
        if (temporary_files::MoveIntoPlace(temporary_path_, final_path_, replaces_file_, system_error)) {
            temporary_path_.clear();
        } else {
            complete = false;
        }
    }
    if (!complete) {
        throw OutputError(messages_.write_failure + name_ + (reader_gone_ ? " (closed by its reader)" : "") +
                          Why(system_error));
    }
}

}  // namespace brenwick
