// Values at points of an export file: the element that holds each point, its material, and the
// potential and electric field of the trilinear interpolation of the element's eight node
// values. Only the mesh lines, the records and the values of the elements hit are read.
#ifndef BRENWICK_FIELDMAP_PROBE_H
#define BRENWICK_FIELDMAP_PROBE_H

#include "efm/reader.h"

#include <array>
#include <cstddef>
#include <optional>
#include <span>
#include <vector>

namespace brenwick::fieldmap {

using Point = std::array<double, 3>;

struct ProbeResult {
    Point point{};
    bool inside = false;  // the rest is meaningful only inside the mesh
    // The element (i, j, k) that holds the point. A point on a face between two elements
    // belongs to the lower one (as in Garfield++); the last mesh line to the last element.
    std::array<std::size_t, 3> element{};
    // The element's material byte, which Garfield++ takes as a record position; absent when
    // the file has no element materials.
    std::optional<unsigned> material_index;
    std::optional<efm::MaterialRecord> material;  // the record the byte names, if it names one
    double potential = 0;
    Point field{};  // minus the gradient of the interpolated potential, per unit length of the mesh
};

// Probes every point, in order. Throws std::invalid_argument for a file of potentials only (its
// points have no coordinates) and efm::FormatError when the file cannot be read.
std::vector<ProbeResult> ProbePoints(efm::Reader& reader, std::span<const Point> points);

}  // namespace brenwick::fieldmap

#endif
