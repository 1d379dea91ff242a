// Geometry of the rectilinear hexahedral mesh: counts, indices and the inv factors.
//
// Node (i, j, k) has the index i + nx*(j + ny*k); element (i, j, k), the cell with node
// (i, j, k) at its lower corner, has the index i + (nx-1)*(j + (ny-1)*k).
#ifndef BRENWICK_GRID_H
#define BRENWICK_GRID_H

#include <array>
#include <cstddef>
#include <vector>

namespace brenwick {

struct MeshLines {
    const std::vector<double>& x;
    const std::vector<double>& y;
    const std::vector<double>& z;
};

// Node and element counts of a mesh with nx, ny, nz lines (each at least 1).
std::size_t NodeCount(const std::array<int, 3>& dims);
std::size_t ElementCount(const std::array<int, 3>& dims);

// Throws std::runtime_error naming the counts unless every axis has at least one line and
// the node and element counts fit the 32-bit integers of the export file.
void CheckMeshDims(const std::array<int, 3>& dims);

// Throws std::runtime_error naming the axis and the fault unless the lines of every axis are
// usable mesh lines (efm/mesh_lines.h): element lengths must be positive and finite for the
// inv factors, and every reader of the export file holds its lines to the same rule.
void CheckMeshLines(const MeshLines& lines);

struct InvFactors {
    double x = 0, y = 0, z = 0;
};

// Edge length d and dual length h of the cell starting at line `index` of one axis.
struct AxisLengths {
    double edge = 0;
    double dual = 0;
};
AxisLengths AxisLengthsAt(const std::vector<double>& lines, std::size_t index);

// inv factors from the lengths of the three axes.
// dual-over-primary: (hz*hy/dx, hz*hx/dy, hy*hx/dz); primary-over-dual: (dz*dy/hx, dz*dx/hy, dy*dx/hz).
InvFactors InvFromLengths(const AxisLengths& ax, const AxisLengths& ay, const AxisLengths& az,
                          bool dual_over_primary);

}  // namespace brenwick

#endif
