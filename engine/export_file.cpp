#include "export_file.h"

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <limits>
#include <memory>
#include <random>
#include <stdexcept>
#include <system_error>

namespace brenwick {

namespace fs = std::filesystem;

namespace {

const char* const open_failure = "BinaryFileFormat::Save: Error. Unable to open/create file:  ";
const char* const write_failure = "BinaryFileFormat::Save: Error. Unable to write file:  ";

int HeaderNumber(std::size_t count, const char* key) {
    if (count > static_cast<std::size_t>(std::numeric_limits<std::int32_t>::max())) {
        throw std::runtime_error(std::string("BinaryFileFormat::Save: Error. ") + key + "=" + std::to_string(count) +
                                 " does not fit the 32-bit integer of the export file header.");
    }
    return static_cast<int>(count);
}

std::size_t RecordSize(const Material& material) { return 20 + material.description.size() + 1; }

struct FileCloser {
    void operator()(std::FILE* file) const { std::fclose(file); }
};
using FilePtr = std::unique_ptr<std::FILE, FileCloser>;

// A file being written beside its final path; removed again unless it was committed.
class TemporaryFile {
public:
    // A short name of its own, so that it fits wherever the final name fits.
    explicit TemporaryFile(const fs::path& final_path) {
        std::random_device random;
        for (int attempt = 0; attempt < 100 && !file_; ++attempt) {
            path_ = final_path.parent_path() / (".brenwick-" + std::to_string(random()) + ".tmp");
            // "x": fail rather than reuse a file that exists, whoever made it.
            file_.reset(std::fopen(path_.string().c_str(), "wbx"));
            std::error_code error;
            if (!file_ && !fs::exists(path_, error)) break;
        }
        if (!file_) path_.clear();
    }
    ~TemporaryFile() {
        file_.reset();
        if (!path_.empty()) {
            std::error_code ignored;
            fs::remove(path_, ignored);
        }
    }
    TemporaryFile(const TemporaryFile&) = delete;
    TemporaryFile& operator=(const TemporaryFile&) = delete;

    bool IsOpen() const { return static_cast<bool>(file_); }

    bool Write(const void* data, std::size_t bytes) {
        return bytes == 0 || std::fwrite(data, 1, bytes, file_.get()) == bytes;
    }
    template <typename T>
    bool WriteBlock(std::span<const T> block) {
        return Write(block.data(), block.size_bytes());
    }

    // Closes the file and renames it to final_path.
    bool Commit(const fs::path& final_path, const fs::perms* permissions) {
        const bool flushed = std::fflush(file_.get()) == 0;
        const bool closed = std::fclose(file_.release()) == 0;
        if (!flushed || !closed) return false;
        std::error_code error;
        if (permissions != nullptr) fs::permissions(path_, *permissions, error);
        fs::rename(path_, final_path, error);
        if (error) return false;
        path_.clear();
        return true;
    }

private:
    fs::path path_;
    FilePtr file_;
};

bool WriteMaterialRecord(TemporaryFile& file, const Material& material, int length) {
    return file.Write(&material.ID, 4) && file.Write(&length, 4) &&
           file.Write(material.description.c_str(), static_cast<std::size_t>(length)) &&
           file.Write(&material.eps, 4) && file.Write(&material.mue, 4) && file.Write(&material.rho, 4);
}

bool WriteBody(TemporaryFile& file, const ExportBlocks& blocks, const std::array<char, export_header_size>& header) {
    if (!(file.Write(header.data(), header.size()) && file.WriteBlock(blocks.x_lines) &&
          file.WriteBlock(blocks.y_lines) && file.WriteBlock(blocks.z_lines) && file.WriteBlock(blocks.node_values) &&
          file.WriteBlock(blocks.element_properties) && file.WriteBlock(blocks.element_materials))) {
        return false;
    }
    for (const Material& material : blocks.materials) {
        // FormatExportHeader has checked that every length fits.
        if (!WriteMaterialRecord(file, material, static_cast<int>(material.description.size() + 1))) return false;
    }
    return true;
}

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

std::array<char, export_header_size> FormatExportHeader(const ExportBlocks& b) {
    for (const Material& material : b.materials) HeaderNumber(material.description.size() + 1, "description length");
    std::array<char, export_header_size> header{};
    std::snprintf(header.data(), header.size(),
                  "mesh_nx=%d mesh_ny=%d mesh_nz=%d\n"
                  "mesh_xlines=%d mesh_ylines=%d mesh_zlines=%d\n"
                  "nodes_scalar=%d nodes_vector_x=%d nodes_vector_y=%d nodes_vector_z=%d\n"
                  "elements_scalar=%d elements_vector_x=%d elements_vector_y=%d elements_vector_z=%d\n"
                  "elements_material=%d\n"
                  "n_materials=%d\n",
                  b.mesh_dims[0], b.mesh_dims[1], b.mesh_dims[2], HeaderNumber(b.x_lines.size(), "mesh_xlines"),
                  HeaderNumber(b.y_lines.size(), "mesh_ylines"), HeaderNumber(b.z_lines.size(), "mesh_zlines"),
                  HeaderNumber(b.node_values.size(), "nodes_scalar"), 0, 0, 0,
                  HeaderNumber(b.element_properties.size(), "elements_scalar"), 0, 0, 0,
                  HeaderNumber(b.element_materials.size(), "elements_material"),
                  HeaderNumber(b.materials.size(), "n_materials"));
    return header;
}

std::size_t ExportFileSize(const ExportBlocks& b) {
    std::size_t size = export_header_size + b.x_lines.size_bytes() + b.y_lines.size_bytes() +
                       b.z_lines.size_bytes() + b.node_values.size_bytes() + b.element_properties.size_bytes() +
                       b.element_materials.size_bytes();
    for (const Material& material : b.materials) size += RecordSize(material);
    return size;
}

void WriteExportFile(const std::string& path, const ExportBlocks& blocks) {
    const auto header = FormatExportHeader(blocks);
    const fs::path final_path = FinalPath(path);
    std::error_code error;
    const fs::file_status existing = fs::status(final_path, error);
    const bool exists = fs::exists(existing);
    if (final_path.empty() || !MayBeReplaced(existing, error)) throw std::runtime_error(open_failure + path);
    TemporaryFile file(final_path);
    if (!file.IsOpen()) throw std::runtime_error(open_failure + path);

    const fs::perms permissions = existing.permissions();
    if (!WriteBody(file, blocks, header) || !file.Commit(final_path, exists ? &permissions : nullptr)) {
        throw std::runtime_error(write_failure + path);
    }
}

}  // namespace brenwick
