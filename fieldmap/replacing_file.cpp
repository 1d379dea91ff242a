#include "replacing_file.h"

#include <cerrno>
#include <random>
#include <stdexcept>

namespace brenwick::fieldmap {

namespace fs = std::filesystem;

namespace {

std::error_code LastError() { return {errno, std::generic_category()}; }

}  // namespace

ReplacingFile::ReplacingFile(const std::string& path) : path_(path) {
    const fs::path target(path);
    if (!target.has_filename()) Fail(std::make_error_code(std::errc::is_a_directory));
    std::random_device random;
    for (int attempt = 0; attempt < 10 && !file_; ++attempt) {
        std::string name = ".";
        name += target.filename().string();
        name += '.';
        name += std::to_string(random());
        name += ".part";
        temporary_ = target.parent_path() / name;
        // "x" refuses a name that exists, so no other file is ever taken over.
        file_.reset(std::fopen(temporary_.string().c_str(), "wbx"));
    }
    if (!file_) {
        const std::error_code reason = LastError();
        temporary_.clear();
        Fail(reason);
    }
}

ReplacingFile::~ReplacingFile() {
    file_.reset();
    if (!temporary_.empty()) {
        std::error_code ignored;
        fs::remove(temporary_, ignored);
    }
}

void ReplacingFile::Fail(std::error_code reason) const {
    throw std::runtime_error("cannot write " + path_ + ": " + reason.message());
}

void ReplacingFile::Write(const void* data, std::size_t bytes) {
    if (std::fwrite(data, 1, bytes, file_.get()) != bytes) Fail(LastError());
}

void ReplacingFile::Commit() {
    if (std::fclose(file_.release()) != 0) Fail(LastError());
    std::error_code error;
    fs::rename(temporary_, path_, error);
    if (error) Fail(error);
    temporary_.clear();
}

}  // namespace brenwick::fieldmap
