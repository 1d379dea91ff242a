// Where a coordinate lies among the mesh lines of one axis.
#ifndef BRENWICK_FIELDMAP_MESH_AXIS_H
#define BRENWICK_FIELDMAP_MESH_AXIS_H

#include "efm/reader.h"

#include <cstddef>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace brenwick::fieldmap {

// "x", "y" or "z".
std::string AxisName(efm::Axis axis);

// The coordinates of the nodes along an axis: its mesh lines, or in a file of potentials only,
// which has none, the node indices 0, 1, 2, ...
std::vector<double> AxisCoordinates(const efm::Reader& reader, efm::Axis axis);

// The cell (the element index along the axis) that holds x; absent when x lies outside the
// first and last line, is NaN, or the axis has fewer than two lines. A point on a line between
// two cells belongs to the lower cell, a point on the first line to the first cell, as
// Garfield++ assigns them; so the last line belongs to the last cell.
std::optional<std::size_t> CellOf(std::span<const double> lines, double x);

// The line nearest to x, the lower one of two at equal distance. Throws std::out_of_range when
// x lies outside the first and last line or is NaN; the text names the axis and its range.
std::size_t NearestLine(std::span<const double> lines, double x, efm::Axis axis);

}  // namespace brenwick::fieldmap

#endif
