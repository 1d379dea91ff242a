// Writing an export file: the header numbers of a set of blocks, the 1000-byte header text,
// and every byte of the file in order, handed to a sink that puts them where they belong.
#ifndef BRENWICK_EFM_WRITER_H
#define BRENWICK_EFM_WRITER_H

#include "format.h"

#include <array>
#include <cstddef>
#include <span>
#include <stdexcept>

namespace brenwick::efm {

// What goes into one file. A block that is not written is an empty span; the header counts
// are the sizes of the spans, nx, ny and nz are mesh_dims.
struct Blocks {
    std::array<int, 3> mesh_dims{};
    std::span<const double> x_lines, y_lines, z_lines;
    std::span<const float> node_values;
    std::span<const float> element_properties;
    std::span<const unsigned char> element_materials;
    std::span<const MaterialRecord> materials;
};

// The blocks of a file of potentials only (a weighting field): the mesh size and the node
// values of `blocks`; no mesh lines, element blocks or material records.
Blocks PotentialsOnly(const Blocks& blocks);

// A count that the export file's header cannot hold.
class HeaderLimitError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// The header of these blocks. Throws HeaderLimitError "<key>=<count> does not fit the 32-bit
// integer of the export file header." when a count, or a record's description length, does not fit.
Header HeaderOf(const Blocks& blocks);

// The header block: the six lines, a NUL, then zero bytes up to kHeaderSize bytes.
std::array<char, kHeaderSize> FormatHeader(const Header& header);

// The size of the file WriteFile writes for these blocks.
std::uint64_t FileSize(const Blocks& blocks);

// Where the bytes of a file go.
class ByteSink {
public:
    virtual ~ByteSink() = default;
    // Takes the next `bytes` bytes of the file; false when they could not be written.
    virtual bool Write(const void* data, std::size_t bytes) = 0;
};

// Hands the whole file to `sink`: the header, then each block as one piece, then the records
// field by field. Returns false as soon as the sink fails. Throws as HeaderOf does, before the
// sink receives anything.
bool WriteFile(const Blocks& blocks, ByteSink& sink);

}  // namespace brenwick::efm

#endif
