// One plane of nodes of an export file, as a picture shows it: the plane's node values, the
// layer of elements its points belong to, and the mesh lines across it. Only these parts of the
// file are read.
#ifndef BRENWICK_FIELDMAP_SLICE_H
#define BRENWICK_FIELDMAP_SLICE_H

#include "efm/reader.h"

#include <array>
#include <cstddef>
#include <optional>
#include <vector>

namespace brenwick::fieldmap {

// Bytes of a material description that a slice keeps: far more than a legend line shows, and
// few enough that a picture costs the same whatever length the file's descriptions have.
inline constexpr std::size_t kSliceDescriptionBytes = 256;

// Which plane: by its line index, by the coordinate nearest to it, or (neither) the middle one.
struct SliceRequest {
    efm::Axis axis = efm::Axis::z;
    std::optional<double> at;
    std::optional<int> index;
};

struct Slice {
    efm::Axis axis = efm::Axis::z;
    int index = 0;        // line index of the plane along axis
    int planes = 0;       // lines along axis
    bool has_mesh = false;  // false for a file of potentials only: lines and position are node indices
    double position = 0;  // coordinate of the plane
    // The two axes in the plane, across the picture and up, and their lines.
    std::array<efm::Axis, 2> plane_axes{};
    std::array<std::vector<double>, 2> lines;
    std::vector<float> potential;  // one value per node of the plane, across running fastest
    // The layer of elements that holds the points of the plane (a plane between two layers
    // belongs to the lower one, the first plane to the first layer); absent when the file has
    // no element materials or the axis has a single line.
    std::optional<int> element_layer;
    std::vector<unsigned char> materials;  // one byte per element of the layer, across running fastest
    // The file's records; a description longer than kSliceDescriptionBytes is cut there (at a
    // UTF-8 character boundary) and ends in an ellipsis, "\u2026".
    std::vector<efm::MaterialRecord> records;
};

// The axes in a plane across `axis`, in the order the reader delivers a plane: y-z for x,
// x-z for y, x-y for z.
std::array<efm::Axis, 2> PlaneAxes(efm::Axis axis);

// The line index a request stands for on an axis with these lines (node indices as coordinates
// when has_mesh is false). Throws std::out_of_range for an index or a coordinate outside the
// mesh, std::invalid_argument for a coordinate in a file without mesh lines.
int SliceIndex(const SliceRequest& request, const std::vector<double>& lines, bool has_mesh);

// Reads the plane. Throws as SliceIndex does, and efm::FormatError when the file cannot be read.
Slice ReadSlice(efm::Reader& reader, const SliceRequest& request);

// Throws std::invalid_argument unless a picture can be drawn of the slice: the lines of both
// axes in the plane are usable mesh lines (efm/mesh_lines.h), there is a node value for every
// node and, with an element layer, a byte for each of its elements (at least one). A slice
// that ReadSlice made always passes; this guards slices made by hand.
void CheckDrawable(const Slice& slice);

}  // namespace brenwick::fieldmap

#endif
