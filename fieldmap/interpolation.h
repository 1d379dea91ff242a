// Trilinear interpolation of the node values of one mesh element, and its gradient.
#ifndef BRENWICK_FIELDMAP_INTERPOLATION_H
#define BRENWICK_FIELDMAP_INTERPOLATION_H

#include <array>

namespace brenwick::fieldmap {

// The values at the eight corners of an element: corner (i + a, j + b, k + c) of the element
// at (i, j, k) is entry a + 2 b + 4 c.
using Corners = std::array<double, 8>;

struct Interpolated {
    double value = 0;
    std::array<double, 3> gradient{};  // per unit length along x, y, z
};

// The interpolation at local coordinates (each 0 at the element's lower face, 1 at its upper
// face) of an element with these edge lengths.
Interpolated Trilinear(const Corners& corners, const std::array<double, 3>& local, const std::array<double, 3>& lengths);

}  // namespace brenwick::fieldmap

#endif
