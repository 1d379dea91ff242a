#include "output_file.h"

#include "export_control.h"

#include <algorithm>
#include <random>
#include <stdexcept>
#include <system_error>

namespace brenwick {

namespace fs = std::filesystem;

namespace {

const char* const open_failure = "BinaryFileFormat::Save: Error. Unable to open/create file:  ";
const char* const write_failure = "BinaryFileFormat::Save: Error. Unable to write file:  ";

// Where the file goes: through symbolic links (also dangling ones) to their target, so that
// the links survive. Empty when the path cannot name a file.
fs::path FinalPath(const std::string& path) {
    constexpr int link_limit = 40;  // as the system's own path resolution
    fs::path final_path(path);
    for (int links = 0; links < link_limit; ++links) {
        std::error_code error;
        if (!fs::is_symlink(fs::symlink_status(final_path, error))) {
            return final_path.has_filename() ? final_path : fs::path();
        }
        const fs::path target = fs::read_symlink(final_path, error);
        if (error) return {};
        final_path = target.is_absolute() ? target : final_path.parent_path() / target;
    }
    return {};
}

// A path that cannot be examined, a directory, and a file its owner made read-only are left
// alone. A missing file may be created, whatever error status() reports for it.
bool MayBeReplaced(const fs::file_status& existing, const std::error_code& status_error) {
    if (existing.type() == fs::file_type::not_found) return true;
    if (status_error || fs::is_directory(existing)) return false;
    return (existing.permissions() & fs::perms::owner_write) != fs::perms::none;
}

}  // namespace

OutputFile::OutputFile(const std::string& path, std::stop_token stop)
    : path_(path), stop_(std::move(stop)), final_path_(FinalPath(path)) {
    std::error_code error;
    const fs::file_status existing = fs::status(final_path_, error);
    if (final_path_.empty() || !MayBeReplaced(existing, error)) throw std::runtime_error(open_failure + path_);
    keep_permissions_ = fs::exists(existing);
    permissions_ = existing.permissions();

    // A short name of its own, so that it fits wherever the final name fits.
    std::random_device random;
    for (int attempt = 0; attempt < 100 && !file_; ++attempt) {
        temporary_path_ = final_path_.parent_path() / (".brenwick-" + std::to_string(random()) + ".tmp");
        // "x": fail rather than reuse a file that exists, whoever made it.
        file_.reset(std::fopen(temporary_path_.string().c_str(), "wbx"));
        if (!file_ && !fs::exists(temporary_path_, error)) break;
    }
    if (!file_) {
        temporary_path_.clear();
        throw std::runtime_error(open_failure + path_);
    }
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
    const auto* next = static_cast<const unsigned char*>(data);
    for (std::size_t left = bytes; left > 0 && !write_failed_;) {
        StopIfRequested(stop_);
        const std::size_t n = std::min(left, piece);
        if (std::fwrite(next, 1, n, file_.get()) != n) write_failed_ = true;
        next += n;
        left -= n;
    }
    return !write_failed_;
}

void OutputFile::Commit() {
    const bool flushed = std::fflush(file_.get()) == 0;
    const bool closed = std::fclose(file_.release()) == 0;
    std::error_code error;
    if (!write_failed_ && flushed && closed) {
        if (keep_permissions_) fs::permissions(temporary_path_, permissions_, error);
        fs::rename(temporary_path_, final_path_, error);
        if (!error) {
            temporary_path_.clear();
            return;
        }
    }
    throw std::runtime_error(write_failure + path_);
}

}  // namespace brenwick
