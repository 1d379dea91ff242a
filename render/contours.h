// Equipotential lines of a plane of node values, by marching squares: in each cell the line
// runs straight between the points where it crosses the cell's edges, found by linear
// interpolation along each edge.
#ifndef BRENWICK_RENDER_CONTOURS_H
#define BRENWICK_RENDER_CONTOURS_H

#include <span>
#include <vector>

namespace brenwick::render {

// A straight piece of a line, in the plane's coordinates.
struct Segment {
    double u0 = 0, v0 = 0, u1 = 0, v1 = 0;
};

// The pieces of the line `level` through the grid of nodes at u[i], v[j] with values
// values[i + u.size() * j]. A cell with a corner that is no finite number has no piece; where
// two pieces could cross a cell (a saddle), the mean of the corners decides how they run.
std::vector<Segment> ContourSegments(std::span<const double> u, std::span<const double> v, std::span<const float> values,
                                     double level);

}  // namespace brenwick::render

#endif
