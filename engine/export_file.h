// The export file (.efm) that Garfield++ reads: a 1000-byte text header of six key=value
// lines, then little-endian blocks of mesh lines, node values, element properties, element
// materials and material records.
#ifndef BRENWICK_EXPORT_FILE_H
#define BRENWICK_EXPORT_FILE_H

#include "material.h"

#include <array>
#include <cstddef>
#include <span>
#include <string>

namespace brenwick {

inline constexpr std::size_t export_header_size = 1000;

// What goes into one export file. A block that is not written is an empty span; the header
// counts are the sizes of the spans.
struct ExportBlocks {
    std::array<int, 3> mesh_dims{};
    std::span<const double> x_lines, y_lines, z_lines;
    std::span<const float> node_values;
    std::span<const float> element_properties;
    std::span<const unsigned char> element_materials;
    std::span<const Material> materials;
};

// The header block: the six lines, a NUL, then zero bytes up to 1000 bytes. Throws
// std::runtime_error when a count does not fit the file's 32-bit integers.
std::array<char, export_header_size> FormatExportHeader(const ExportBlocks& blocks);

// The size in bytes of the file WriteExportFile writes for these blocks.
std::size_t ExportFileSize(const ExportBlocks& blocks);

// Writes the file to a temporary file beside `path` and renames it over `path` once every
// byte is written and the file is closed, so that `path` holds either its old contents or the
// complete new file. Throws std::runtime_error
//   "BinaryFileFormat::Save: Error. Unable to open/create file:  <path>" when the file cannot
//   be created, and "BinaryFileFormat::Save: Error. Unable to write file:  <path>" when writing,
//   closing or renaming fails.
void WriteExportFile(const std::string& path, const ExportBlocks& blocks);

}  // namespace brenwick

#endif
