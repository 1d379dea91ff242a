// The export file (.efm) that Garfield++ reads, described once: the 1000-byte text header of
// sixteen key=value numbers on six lines, the order of the binary blocks behind it, the layout
// of a material record and the size rule that follows from them. Everything binary is
// little-endian, as the machine holds it; blocks follow one another without gaps.
//
//   header                      1000 bytes, six lines, a NUL, then bytes without meaning
//   x, y, z mesh lines          float64 each, mesh_xlines + mesh_ylines + mesh_zlines values
//   node values                 float32, nodes_scalar values, x fastest, then y, then z
//   element properties          float32, elements_scalar values, in element order
//   element materials           one byte per element, elements_material bytes
//   material records            n_materials records: float32 ID, int32 L, L bytes of text
//                               ending in NUL, float32 eps, mue, rho
//
// A block that is absent has the count 0, so every offset follows from the header alone.
#ifndef BRENWICK_EFM_FORMAT_H
#define BRENWICK_EFM_FORMAT_H

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace brenwick::efm {

inline constexpr std::size_t kHeaderSize = 1000;

// The sixteen header numbers, in header order.
enum class Key : std::size_t {
    mesh_nx, mesh_ny, mesh_nz,
    mesh_xlines, mesh_ylines, mesh_zlines,
    nodes_scalar, nodes_vector_x, nodes_vector_y, nodes_vector_z,
    elements_scalar, elements_vector_x, elements_vector_y, elements_vector_z,
    elements_material,
    n_materials,
};
inline constexpr std::size_t kKeyCount = 16;

inline constexpr std::array<std::string_view, kKeyCount> kKeyNames{
    "mesh_nx",           "mesh_ny",           "mesh_nz",           "mesh_xlines",
    "mesh_ylines",       "mesh_zlines",       "nodes_scalar",      "nodes_vector_x",
    "nodes_vector_y",    "nodes_vector_z",    "elements_scalar",   "elements_vector_x",
    "elements_vector_y", "elements_vector_z", "elements_material", "n_materials"};

// How many of the keys, in order, stand on each of the six header lines.
inline constexpr std::array<std::size_t, 6> kKeysPerLine{3, 3, 4, 4, 1, 1};

std::string_view KeyName(Key key);

// The three axes of the mesh, in the order of their line blocks.
enum class Axis { x = 0, y = 1, z = 2 };
inline constexpr std::array<Axis, 3> kAxes{Axis::x, Axis::y, Axis::z};

// The letter that names an axis in messages, reports and options: 'x', 'y' or 'z'.
constexpr char AxisLetter(Axis axis) { return "xyz"[static_cast<std::size_t>(axis)]; }
// The axis whose letter `text` is; none for any other text.
std::optional<Axis> AxisOfLetter(std::string_view text);

// The header numbers. Parsed headers may hold any 32-bit value; HeaderProblems (reader.h)
// says which combinations a well-formed file has.
struct Header {
    std::array<std::int32_t, kKeyCount> numbers{};

    std::int32_t operator[](Key key) const { return numbers[static_cast<std::size_t>(key)]; }
    std::int32_t& operator[](Key key) { return numbers[static_cast<std::size_t>(key)]; }
    // The number of values a count stands for; a negative count stands for none.
    std::uint64_t Values(Key key) const { return (*this)[key] > 0 ? static_cast<std::uint64_t>((*this)[key]) : 0; }
    // nx, ny, nz.
    std::array<int, 3> MeshDims() const { return {(*this)[Key::mesh_nx], (*this)[Key::mesh_ny], (*this)[Key::mesh_nz]}; }
    // Whether the file has mesh lines, element materials and material records, or holds only
    // potentials (a weighting field).
    bool HasMesh() const;
};

// One record of the material table, as the file holds it.
struct MaterialRecord {
    float id = 0;
    std::string description;
    float eps = 0, mue = 0, rho = 0;
};

// How many elements have each element material byte.
using ElementsPerByte = std::array<std::uint64_t, 256>;
// Adds the elements of `bytes` to `counts`.
void CountElements(std::span<const unsigned char> bytes, ElementsPerByte& counts);

// Bytes of a record: ID, the length L, L bytes of description with its NUL, eps, mue, rho.
inline constexpr std::uint64_t kRecordFixedBytes = 4 + 4 + 4 + 4 + 4;
inline std::uint64_t RecordSize(std::size_t description_length) { return kRecordFixedBytes + description_length + 1; }

// Where each block starts, in bytes from the start of the file, and where the records end.
// Sums that overflow saturate at the largest 64-bit value, so a hostile header can only make
// offsets too large, never wrap them.
struct Layout {
    std::uint64_t x_lines = 0, y_lines = 0, z_lines = 0;
    std::uint64_t node_values = 0;
    std::uint64_t element_properties = 0;
    std::uint64_t element_materials = 0;
    std::uint64_t records = 0;  // first material record; the records' sizes follow from their lengths
};
Layout LayoutOf(const Header& header);

// The size of a file with this header and these records.
std::uint64_t FileSize(const Header& header, std::span<const MaterialRecord> records);

}  // namespace brenwick::efm

#endif
