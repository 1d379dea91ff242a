// Reading an export file the way Garfield++ reads it: the header first, then any block, or any
// part of one, by its offset. Only a well-formed file is read at all: its header, its size and
// its mesh lines are checked when it is opened, the same for every reader of the format. Beyond
// that nothing is read that is not asked for, so a slice of a large map costs only the bytes of
// the slice.
#ifndef BRENWICK_EFM_READER_H
#define BRENWICK_EFM_READER_H

#include "format.h"

#include <array>
#include <cstdint>
#include <fstream>
#include <istream>
#include <limits>
#include <span>
#include <stdexcept>
#include <stop_token>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace brenwick::efm {

// A file that is not a well-formed export file, or that ends before a block does. The text
// says what is wrong, in a user's words.
class FormatError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// A read ended because the reader's stop token asked it to stop.
class ReadStopped : public std::runtime_error {
public:
    ReadStopped();
};

// The header numbers of the text before the header's NUL: six lines of exactly the keys of
// their line, in order, each with a 32-bit decimal value. Throws FormatError naming the line
// or the value that is wrong.
Header ParseHeaderText(std::string_view text);

// The header of a 1000-byte header block. Throws FormatError.
Header ParseHeaderBlock(std::string_view block);

// What makes a parsed header describe no well-formed file: negative counts, a mesh without
// lines on an axis, node or element counts that differ from the mesh, vector counts that are
// not 0, element or material blocks without mesh lines. Empty for a well-formed header.
std::vector<std::string> HeaderProblems(const Header& header);

// The size of the file of `size` bytes in `in` with this header (whose HeaderProblems are
// none): the end of its last material record, read from the records' lengths. Throws
// FormatError when the file ends before the records start, or names the first record that is
// cut off or broken.
std::uint64_t ImpliedFileSize(std::istream& in, std::uint64_t size, const Header& header);

// The largest piece a stoppable read reads at once: about a twentieth of a second at 1 MiB/s.
inline constexpr std::uint64_t kStoppablePieceBytes = std::uint64_t{64} << 10;

// Reads an export file from a seekable stream of known size.
class Reader {
public:
    // Reads and checks the header, the material records' lengths and the mesh lines. Throws
    // FormatError when the file is shorter than the header, the header cannot be parsed,
    // HeaderProblems finds anything, the size differs from ImpliedFileSize (bytes after the last
    // record included), or MeshLinesProblem finds anything on an axis.
    //
    // With a `stop` that can be asked to stop, every read goes in pieces of at most
    // kStoppablePieceBytes and throws ReadStopped at the first piece after the stop was asked
    // for, so that a read from a slow disk ends soon.
    Reader(std::istream& in, std::uint64_t size, std::stop_token stop = {});

    const Header& header() const { return header_; }
    const Layout& layout() const { return layout_; }
    std::uint64_t size() const { return size_; }
    std::array<int, 3> MeshDims() const { return header_.MeshDims(); }

    // The mesh lines of one axis (empty in a file of potentials only).
    const std::vector<double>& Lines(Axis axis) const { return mesh_lines_[static_cast<std::size_t>(axis)]; }

    // `out.size()` values of a block, starting at value `first`. Throws FormatError when the
    // block does not hold them.
    void ReadNodeValues(std::uint64_t first, std::span<float> out);
    void ReadElementProperties(std::uint64_t first, std::span<float> out);
    void ReadElementMaterials(std::uint64_t first, std::span<unsigned char> out);

    // The values of a block at `indices`, in the order asked (out[n] is the value at
    // indices[n]; repeats allowed). Values that lie close together in the file are read in one
    // piece, so scattered look-ups cost few reads. Throws FormatError when an index is outside
    // the block.
    void GatherNodeValues(std::span<const std::uint64_t> indices, std::span<float> out);
    void GatherElementMaterials(std::span<const std::uint64_t> indices, std::span<unsigned char> out);

    // The node values of the plane of nodes at line `index` of `axis`, x running fastest in
    // the plane, then y or z (for an x plane: y fastest, then z).
    std::vector<float> NodePlane(Axis axis, int index);
    // The element material bytes of the layer of elements at cell `index` of `axis`, ordered
    // like NodePlane.
    std::vector<unsigned char> ElementMaterialLayer(Axis axis, int index);

    // All material records, with at most `description_bytes` bytes of each description, so that
    // a caller that shows only the start of a description never holds all of it.
    std::vector<MaterialRecord> MaterialRecords(
        std::size_t description_bytes = std::numeric_limits<std::size_t>::max());

private:
    void ReadAt(std::uint64_t offset, void* data, std::uint64_t bytes, std::string_view block);
    template <typename T>
    void ReadValues(std::uint64_t block_start, std::uint64_t count, std::uint64_t first, std::span<T> out,
                    std::string_view block);
    template <typename T>
    void Gather(std::uint64_t block_start, std::uint64_t count, std::span<const std::uint64_t> indices,
                std::span<T> out, std::string_view block);
    template <typename T, typename ReadRun, typename GatherValues>
    std::vector<T> Plane(const std::array<std::uint64_t, 3>& sizes, Axis axis, int index, ReadRun read_run,
                         GatherValues gather);

    std::istream& in_;
    std::uint64_t size_;
    std::stop_token stop_;
    Header header_;
    Layout layout_;
    std::array<std::vector<double>, 3> mesh_lines_;
};

namespace detail {
// The stream of a FileReader, made before the Reader that reads it.
struct OpenedFile {
    explicit OpenedFile(const std::string& path);
    std::ifstream stream;
    std::uint64_t file_size = 0;
};
}  // namespace detail

// A Reader over a file it opens itself. Throws FormatError ("cannot open <path>") when the
// path names no readable regular file, and as Reader does.
class FileReader : private detail::OpenedFile, public Reader {
public:
    explicit FileReader(const std::string& path, std::stop_token stop = {})
        : detail::OpenedFile(path), Reader(stream, file_size, std::move(stop)) {}
};

}  // namespace brenwick::efm

#endif
