#include "reader.h"

#include "grid.h"
#include "mesh_lines.h"
#include "platform/utf8_path.h"

#include <algorithm>
#include <charconv>
#include <cstring>
#include <filesystem>
#include <limits>
#include <numeric>
#include <sstream>
#include <system_error>

namespace brenwick::efm {

namespace {

std::string LineName(std::size_t line) { return "header line " + std::to_string(line + 1); }

// One "key=value" pair of the expected key.
std::int32_t ParsePair(std::string_view pair, Key key, std::size_t line) {
    const std::string expected = std::string(KeyName(key)) + "=";
    if (pair.substr(0, expected.size()) != expected) {
        throw FormatError(LineName(line) + " lacks \"" + expected + "\"");
    }
    const char* first = pair.data() + expected.size();
    const char* last = pair.data() + pair.size();
    std::int32_t value = 0;
    const auto [stop, error] = std::from_chars(first, last, value);
    if (error != std::errc() || stop != last || first == last) {
        throw FormatError("header value \"" + std::string(pair) + "\" is not a 32-bit integer");
    }
    return value;
}

void ReadBytes(std::istream& in, std::uint64_t offset, void* data, std::uint64_t bytes, std::string_view block) {
    if (bytes == 0) return;
    in.clear();
    if (offset > static_cast<std::uint64_t>(std::numeric_limits<std::streamoff>::max()) ||
        !in.seekg(static_cast<std::streamoff>(offset)) ||
        !in.read(static_cast<char*>(data), static_cast<std::streamsize>(bytes))) {
        throw FormatError("the file cannot be read in its " + std::string(block));
    }
}

// A material record without its description, and where the description lies.
struct PlacedRecord {
    MaterialRecord record;
    std::uint64_t description_offset = 0;
    std::uint64_t description_length = 0;  // without its NUL
};

// Checks the material records of the file one after the other, reading each one's fixed fields
// and the NUL that ends its description, and hands each to visit(PlacedRecord&&). Returns the end
// of the last record.
template <typename Visit>
std::uint64_t WalkRecords(std::istream& in, std::uint64_t size, const Header& header, Visit visit) {
    std::uint64_t offset = LayoutOf(header).records;
    if (size < offset) {
        throw FormatError("the file has " + std::to_string(size) + " bytes, but its header implies at least " +
                          std::to_string(offset));
    }
    for (std::int32_t index = 0; index < header[Key::n_materials]; ++index) {
        const std::string name = "material record " + std::to_string(index);
        const auto cut_off = [&] { return FormatError(name + " is cut off"); };
        if (size - offset < 8) throw cut_off();
        char head[8];
        ReadBytes(in, offset, head, sizeof head, name);
        PlacedRecord placed;
        std::int32_t length = 0;
        std::memcpy(&placed.record.id, head, 4);
        std::memcpy(&length, head + 4, 4);
        if (length < 1) throw FormatError(name + " has a description length of " + std::to_string(length));
        placed.description_offset = offset + 8;
        placed.description_length = static_cast<std::uint64_t>(length) - 1;
        const std::uint64_t record_size = RecordSize(static_cast<std::size_t>(placed.description_length));
        if (size - offset < record_size) throw cut_off();
        // The description's NUL, then eps, mue and rho.
        char tail[13];
        ReadBytes(in, placed.description_offset + placed.description_length, tail, sizeof tail, name);
        if (tail[0] != '\0') throw FormatError(name + " has a description that does not end with a NUL byte");
        std::memcpy(&placed.record.eps, tail + 1, 4);
        std::memcpy(&placed.record.mue, tail + 5, 4);
        std::memcpy(&placed.record.rho, tail + 9, 4);
        visit(std::move(placed));
        offset += record_size;
    }
    return offset;
}

}  // namespace

Header ParseHeaderText(std::string_view text) {
    Header header;
    std::size_t position = 0;
    std::size_t key = 0;
    for (std::size_t line = 0; line < kKeysPerLine.size(); ++line) {
        const std::size_t end = text.find('\n', position);
        if (end == std::string_view::npos)
            throw FormatError(LineName(line) + " is missing or not ended by a line feed");
        std::istringstream pairs{std::string(text.substr(position, end - position))};
        std::string pair;
        for (std::size_t k = 0; k < kKeysPerLine[line]; ++k, ++key) {
            if (!(pairs >> pair)) pair.clear();
            header.numbers[key] = ParsePair(pair, static_cast<Key>(key), line);
        }
        if (pairs >> pair) throw FormatError(LineName(line) + " has extra text \"" + pair + "\"");
        position = end + 1;
    }
    if (position != text.size()) throw FormatError("the header has text after its sixth line");
    return header;
}

Header ParseHeaderBlock(std::string_view block) {
    const std::size_t nul = block.substr(0, kHeaderSize).find('\0');
    if (nul == std::string_view::npos)
        throw FormatError("the header text is not ended by a NUL byte within 1000 bytes");
    return ParseHeaderText(block.substr(0, nul));
}

std::uint64_t ImpliedFileSize(std::istream& in, std::uint64_t size, const Header& header) {
    return WalkRecords(in, size, header, [](PlacedRecord&&) {});
}

std::vector<std::string> HeaderProblems(const Header& h) {
    std::vector<std::string> problems;
    for (std::size_t k = 0; k < kKeyCount; ++k) {
        if (h.numbers[k] < 0) problems.push_back(std::string(kKeyNames[k]) + " is negative");
    }
    if (!problems.empty()) return problems;
    const auto text = [](std::int32_t value) { return std::to_string(value); };
    if (h[Key::mesh_nx] < 1 || h[Key::mesh_ny] < 1 || h[Key::mesh_nz] < 1) {
        problems.push_back("the mesh needs at least one line on every axis");
    }
    if (h.HasMesh() && (h[Key::mesh_xlines] != h[Key::mesh_nx] || h[Key::mesh_ylines] != h[Key::mesh_ny] ||
                        h[Key::mesh_zlines] != h[Key::mesh_nz])) {
        problems.push_back("mesh line counts " + text(h[Key::mesh_xlines]) + " x " + text(h[Key::mesh_ylines]) + " x " +
                           text(h[Key::mesh_zlines]) + " differ from the mesh size " + text(h[Key::mesh_nx]) + " x " +
                           text(h[Key::mesh_ny]) + " x " + text(h[Key::mesh_nz]));
    }
    const std::uint64_t nodes = NodeCount(h.MeshDims());
    if (static_cast<std::uint64_t>(h[Key::nodes_scalar]) != nodes) {
        problems.push_back("nodes_scalar=" + text(h[Key::nodes_scalar]) + " but the mesh has " + std::to_string(nodes) +
                           " nodes");
    }
    for (Key vector_key : {Key::nodes_vector_x, Key::nodes_vector_y, Key::nodes_vector_z, Key::elements_vector_x,
                           Key::elements_vector_y, Key::elements_vector_z}) {
        if (h[vector_key] != 0) problems.push_back(std::string(KeyName(vector_key)) + " is not 0");
    }
    const std::uint64_t elements = ElementCount(h.MeshDims());
    for (Key element_key : {Key::elements_scalar, Key::elements_material}) {
        if (h[element_key] != 0 && static_cast<std::uint64_t>(h[element_key]) != elements) {
            problems.push_back(std::string(KeyName(element_key)) + "=" + text(h[element_key]) + " but the mesh has " +
                               std::to_string(elements) + " elements");
        }
    }
    if (!h.HasMesh() && (h[Key::elements_scalar] != 0 || h[Key::elements_material] != 0 || h[Key::n_materials] != 0)) {
        problems.push_back("element or material blocks without mesh lines");
    }
    return problems;
}

ReadStopped::ReadStopped() : std::runtime_error("the read of the file was stopped") {}

Reader::Reader(std::istream& in, std::uint64_t size, std::stop_token stop)
    : in_(in), size_(size), stop_(std::move(stop)) {
    if (size < kHeaderSize) {
        throw FormatError("the file has " + std::to_string(size) + " bytes, fewer than its 1000-byte header");
    }
    std::string block(kHeaderSize, '\0');
    ReadAt(0, block.data(), kHeaderSize, "header");
    header_ = ParseHeaderBlock(block);
    if (const std::vector<std::string> problems = HeaderProblems(header_); !problems.empty()) {
        throw FormatError(problems.front());
    }
    layout_ = LayoutOf(header_);
    // Bytes after the last record are no part of the file its header describes: most likely the
    // counts are wrong, so nothing in the file can be trusted.
    if (const std::uint64_t implied = ImpliedFileSize(in, size, header_); implied != size) {
        throw FormatError("the file has " + std::to_string(size) +
                          " bytes, but its header and material records imply " + std::to_string(implied));
    }
    const std::uint64_t starts[3] = {layout_.x_lines, layout_.y_lines, layout_.z_lines};
    const Key counts[3] = {Key::mesh_xlines, Key::mesh_ylines, Key::mesh_zlines};
    for (std::size_t a = 0; a < 3; ++a) {
        std::vector<double>& lines = mesh_lines_[a];
        lines.resize(static_cast<std::size_t>(header_[counts[a]]));
        ReadValues<double>(starts[a], lines.size(), 0, lines, "mesh lines");
        if (const auto problem = MeshLinesProblem(lines, static_cast<Axis>(a))) throw FormatError(*problem);
    }
}

void Reader::ReadAt(std::uint64_t offset, void* data, std::uint64_t bytes, std::string_view block) {
    if (!stop_.stop_possible()) return ReadBytes(in_, offset, data, bytes, block);
    for (std::uint64_t done = 0; done < bytes;) {
        if (stop_.stop_requested()) throw ReadStopped();
        const std::uint64_t piece = std::min(kStoppablePieceBytes, bytes - done);
        ReadBytes(in_, offset + done, static_cast<char*>(data) + done, piece, block);
        done += piece;
    }
}

template <typename T>
void Reader::ReadValues(std::uint64_t block_start, std::uint64_t count, std::uint64_t first, std::span<T> out,
                        std::string_view block) {
    if (first > count || out.size() > count - first) {
        throw FormatError("the " + std::string(block) + " holds " + std::to_string(count) + " values; values " +
                          std::to_string(first) + " to " + std::to_string(first + out.size()) + " were asked for");
    }
    ReadAt(block_start + first * sizeof(T), out.data(), out.size_bytes(), block);
}

void Reader::ReadNodeValues(std::uint64_t first, std::span<float> out) {
    ReadValues(layout_.node_values, header_.Values(Key::nodes_scalar), first, out, "node values");
}

void Reader::ReadElementProperties(std::uint64_t first, std::span<float> out) {
    ReadValues(layout_.element_properties, header_.Values(Key::elements_scalar), first, out, "element properties");
}

void Reader::ReadElementMaterials(std::uint64_t first, std::span<unsigned char> out) {
    ReadValues(layout_.element_materials, header_.Values(Key::elements_material), first, out, "element materials");
}

namespace {

// Values at most this many bytes apart are read in one piece: a separate read costs more than
// reading the bytes between them. No piece grows beyond the second limit, so buffers stay small.
constexpr std::uint64_t kGatherGapBytes = 16 * 1024;
constexpr std::uint64_t kGatherPieceBytes = 1024 * 1024;

}  // namespace

template <typename T>
void Reader::Gather(std::uint64_t block_start, std::uint64_t count, std::span<const std::uint64_t> indices,
                    std::span<T> out, std::string_view block) {
    if (indices.size() != out.size()) throw std::invalid_argument("Gather: as many outputs as indices are needed");
    std::vector<std::size_t> order(indices.size());
    std::iota(order.begin(), order.end(), std::size_t{0});
    std::sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) { return indices[a] < indices[b]; });
    if (!order.empty() && indices[order.back()] >= count) {
        throw FormatError("the " + std::string(block) + " holds " + std::to_string(count) + " values; value " +
                          std::to_string(indices[order.back()]) + " was asked for");
    }
    std::vector<T> piece;
    for (std::size_t begin = 0; begin < order.size();) {
        const std::uint64_t first = indices[order[begin]];
        std::size_t end = begin + 1;
        for (; end < order.size(); ++end) {
            const std::uint64_t next = indices[order[end]];
            if ((next - indices[order[end - 1]]) * sizeof(T) > kGatherGapBytes ||
                (next - first + 1) * sizeof(T) > kGatherPieceBytes) {
                break;
            }
        }
        piece.resize(static_cast<std::size_t>(indices[order[end - 1]] - first + 1));
        ReadValues(block_start, count, first, std::span<T>(piece), block);
        for (std::size_t n = begin; n < end; ++n) out[order[n]] = piece[indices[order[n]] - first];
        begin = end;
    }
}

void Reader::GatherNodeValues(std::span<const std::uint64_t> indices, std::span<float> out) {
    Gather(layout_.node_values, header_.Values(Key::nodes_scalar), indices, out, "node values");
}

void Reader::GatherElementMaterials(std::span<const std::uint64_t> indices, std::span<unsigned char> out) {
    Gather(layout_.element_materials, header_.Values(Key::elements_material), indices, out, "element materials");
}

// A plane of a grid of sizes[0] x sizes[1] x sizes[2] values in x-fastest order. Planes across y
// and z are runs of consecutive values, which read_run(first index, values) fills; a plane
// across x has no two values side by side, so gather(indices, values) collects them.
template <typename T, typename ReadRun, typename GatherValues>
std::vector<T> Reader::Plane(const std::array<std::uint64_t, 3>& sizes, Axis axis, int index, ReadRun read_run,
                             GatherValues gather) {
    const auto a = static_cast<std::size_t>(axis);
    if (index < 0 || static_cast<std::uint64_t>(index) >= sizes[a]) {
        throw std::out_of_range("index " + std::to_string(index) + " is outside the " + std::to_string(sizes[a]) +
                                " planes of that axis");
    }
    const auto [nx, ny, nz] = sizes;
    const auto at = static_cast<std::uint64_t>(index);
    std::vector<T> plane;
    switch (axis) {
    case Axis::z:
        plane.resize(nx * ny);
        read_run(GridIndex(sizes, 0, 0, at), std::span<T>(plane));
        break;
    case Axis::y:
        plane.resize(nx * nz);
        for (std::uint64_t k = 0; k < nz; ++k) {
            read_run(GridIndex(sizes, 0, at, k), std::span<T>(plane).subspan(k * nx, nx));
        }
        break;
    case Axis::x: {
        std::vector<std::uint64_t> indices;
        indices.reserve(ny * nz);
        for (std::uint64_t k = 0; k < nz; ++k) {
            for (std::uint64_t j = 0; j < ny; ++j) indices.push_back(GridIndex(sizes, at, j, k));
        }
        plane.resize(indices.size());
        gather(std::span<const std::uint64_t>(indices), std::span<T>(plane));
        break;
    }
    }
    return plane;
}

std::vector<float> Reader::NodePlane(Axis axis, int index) {
    return Plane<float>(
        NodeSizes(MeshDims()), axis, index,
        [this](std::uint64_t first, std::span<float> out) { ReadNodeValues(first, out); },
        [this](std::span<const std::uint64_t> indices, std::span<float> out) { GatherNodeValues(indices, out); });
}

std::vector<unsigned char> Reader::ElementMaterialLayer(Axis axis, int index) {
    return Plane<unsigned char>(
        ElementSizes(MeshDims()), axis, index,
        [this](std::uint64_t first, std::span<unsigned char> out) { ReadElementMaterials(first, out); },
        [this](std::span<const std::uint64_t> indices, std::span<unsigned char> out) {
            GatherElementMaterials(indices, out);
        });
}

std::vector<MaterialRecord> Reader::MaterialRecords(std::size_t description_bytes) {
    std::vector<MaterialRecord> records;
    WalkRecords(in_, size_, header_, [&](PlacedRecord&& placed) {
        std::string& description = placed.record.description;
        description.resize(
            static_cast<std::size_t>(std::min<std::uint64_t>(placed.description_length, description_bytes)));
        ReadAt(placed.description_offset, description.data(), description.size(), "material records");
        records.push_back(std::move(placed.record));
    });
    return records;
}

detail::OpenedFile::OpenedFile(const std::string& path) {
    std::error_code error;
    const std::filesystem::path file = PathFromText(path);
    if (std::filesystem::is_regular_file(file, error)) stream.open(file, std::ios::binary);
    if (!stream) throw FormatError("cannot open " + path);
    file_size = static_cast<std::uint64_t>(std::filesystem::file_size(file, error));
    if (error) throw FormatError("cannot open " + path);
}

}  // namespace brenwick::efm
