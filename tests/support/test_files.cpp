#include "test_files.h"

#include "platform/utf8_path.h"

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <random>
#include <stdexcept>

namespace fs = std::filesystem;

namespace test_files {

#if defined(_WIN32)
// Windows has no mkdtemp: a random name, taken only when the directory is new.
TempDir::TempDir() {
    std::random_device random;
    for (int attempt = 0; attempt < 100; ++attempt) {
        const fs::path candidate = fs::temp_directory_path() / ("brenwick-test-" + std::to_string(random()));
        if (fs::create_directory(candidate)) {
            path_ = candidate;
            return;
        }
    }
    throw std::runtime_error("cannot create a temporary directory");
}
#else
TempDir::TempDir() {
    std::string pattern = (fs::temp_directory_path() / "brenwick-test-XXXXXX").string();
    if (mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("cannot create a temporary directory");
    path_ = pattern;
}
#endif

TempDir::~TempDir() {
    std::error_code ignored;
    // Tests make files read-only; give the owner write access back so everything goes.
    for (const auto& entry : fs::recursive_directory_iterator(path_, ignored)) {
        fs::permissions(entry.path(), fs::perms::owner_all, fs::perm_options::add | fs::perm_options::nofollow,
                        ignored);
    }
    fs::remove_all(path_, ignored);
}

std::string TempDir::operator/(const std::string& name) const {
    return brenwick::TextFromPath(path_ / brenwick::PathFromText(name));
}

bool CanMakeSymbolicLinks() {
    static const bool can = [] {
        const TempDir dir;
        std::error_code error;
        fs::create_symlink("target", dir.path() / "link", error);
        return !error;
    }();
    return can;
}

std::set<std::string> TempDir::Entries() const {
    std::set<std::string> names;
    for (const auto& entry : fs::directory_iterator(path_)) names.insert(entry.path().filename().string());
    return names;
}

std::vector<unsigned char> ReadBytes(const std::string& path) {
    std::ifstream in(brenwick::PathFromText(path), std::ios::binary);
    if (!in) throw std::runtime_error("cannot read " + path);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::string ReadText(const std::string& path) {
    const std::vector<unsigned char> bytes = ReadBytes(path);
    return {bytes.begin(), bytes.end()};
}

void WriteBytes(const std::string& path, std::span<const unsigned char> bytes) {
    std::ofstream out(brenwick::PathFromText(path), std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    out.close();
    if (!out) throw std::runtime_error("cannot write " + path);
}

void WriteText(const std::string& path, const std::string& text) {
    WriteBytes(path, std::span(reinterpret_cast<const unsigned char*>(text.data()), text.size()));
}

}  // namespace test_files
