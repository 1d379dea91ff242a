// The mesh as the export file orders it: counts and indices of nodes and elements, and the
// arithmetic on counts and sizes that a hostile header cannot make wrap around.
//
// Node (i, j, k) is entry i + nx*(j + ny*k) of a node array; element (i, j, k), the cell with
// node (i, j, k) at its lower corner, is entry i + (nx-1)*(j + (ny-1)*k) of an element array:
// x runs fastest, then y, then z. nx, ny, nz are the numbers of mesh lines (dims).
#ifndef BRENWICK_EFM_GRID_H
#define BRENWICK_EFM_GRID_H

#include <array>
#include <cstdint>
#include <limits>

namespace brenwick::efm {

// Sums and products that stop at the largest 64-bit value instead of wrapping around, so that
// counts and offsets from any header can only come out too large, never small.
inline constexpr std::uint64_t kSaturated = std::numeric_limits<std::uint64_t>::max();
std::uint64_t SaturatingAdd(std::uint64_t a, std::uint64_t b);
std::uint64_t SaturatingMultiply(std::uint64_t a, std::uint64_t b);

// Nodes and elements along one axis of `lines` mesh lines; fewer than one line has none.
inline std::uint64_t NodesAlong(int lines) { return lines > 0 ? static_cast<std::uint64_t>(lines) : 0; }
inline std::uint64_t ElementsAlong(int lines) { return lines > 1 ? static_cast<std::uint64_t>(lines) - 1 : 0; }

// Nodes and elements along each axis of a mesh of dims lines.
inline std::array<std::uint64_t, 3> NodeSizes(const std::array<int, 3>& dims) {
    return {NodesAlong(dims[0]), NodesAlong(dims[1]), NodesAlong(dims[2])};
}
inline std::array<std::uint64_t, 3> ElementSizes(const std::array<int, 3>& dims) {
    return {ElementsAlong(dims[0]), ElementsAlong(dims[1]), ElementsAlong(dims[2])};
}

// Nodes and elements of a mesh of dims lines, saturating.
std::uint64_t NodeCount(const std::array<int, 3>& dims);
std::uint64_t ElementCount(const std::array<int, 3>& dims);

// Entry (i, j, k) of an array over a grid of sizes[0] x sizes[1] x sizes[2] values, x fastest.
inline std::uint64_t GridIndex(const std::array<std::uint64_t, 3>& sizes, std::uint64_t i, std::uint64_t j,
                               std::uint64_t k) {
    return i + sizes[0] * (j + sizes[1] * k);
}

inline std::uint64_t NodeIndex(const std::array<int, 3>& dims, std::uint64_t i, std::uint64_t j, std::uint64_t k) {
    return GridIndex(NodeSizes(dims), i, j, k);
}

inline std::uint64_t ElementIndex(const std::array<int, 3>& dims, std::uint64_t i, std::uint64_t j, std::uint64_t k) {
    return GridIndex(ElementSizes(dims), i, j, k);
}

}  // namespace brenwick::efm

#endif
