// Geometry of the rectilinear hexahedral mesh as the engine needs it: the meshes it can export,
// and the inv factors of an element. Counts and indices are those of the export file
// (efm/grid.h).
#ifndef BRENWICK_MESH_GEOMETRY_H
#define BRENWICK_MESH_GEOMETRY_H

#include <array>
#include <cstddef>
#include <vector>

namespace brenwick {

// The mesh lines of the three axes, as the open project holds them.
struct AxisLines {
    const std::vector<double>& x;
    const std::vector<double>& y;
    const std::vector<double>& z;
};

// Throws ProjectError naming the counts unless every axis has at least one line and
// the node and element counts fit the 32-bit integers of the export file.
void CheckMeshDims(const std::array<int, 3>& dims);

// Throws ProjectError naming the axis and the fault unless the lines of every axis are
// usable mesh lines (efm/mesh_lines.h): element lengths must be positive and finite for the
// inv factors, and every reader of the export file holds its lines to the same rule.
void CheckMeshLines(const AxisLines& lines);

struct InvFactors {
    double x = 0, y = 0, z = 0;
};

// Edge length d and dual length h of the cell starting at line `index` of one axis.
struct AxisLengths {
    double edge = 0;
    double dual = 0;
};
AxisLengths AxisLengthsAt(const std::vector<double>& lines, std::size_t index);

// inv factors from the lengths of the three axes, each product formed left to right and then
// divided. dual-over-primary: (hz*hy/dx, hz*hx/dy, hy*hx/dz); primary-over-dual:
// (dz*dy/hx, dz*dx/hy, dy*dx/hz). Inline, so that the element loops keep their vector code.
template <bool DualOverPrimary>
InvFactors InvFromLengths(const AxisLengths& ax, const AxisLengths& ay, const AxisLengths& az) {
    if constexpr (DualOverPrimary) {
        return {az.dual * ay.dual / ax.edge, az.dual * ax.dual / ay.edge, ay.dual * ax.dual / az.edge};
    } else {
        return {az.edge * ay.edge / ax.dual, az.edge * ax.edge / ay.dual, ay.edge * ax.edge / az.dual};
    }
}

inline InvFactors InvFromLengths(const AxisLengths& ax, const AxisLengths& ay, const AxisLengths& az,
                                 bool dual_over_primary) {
    return dual_over_primary ? InvFromLengths<true>(ax, ay, az) : InvFromLengths<false>(ax, ay, az);
}

}  // namespace brenwick

#endif
