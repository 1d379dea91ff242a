#include "interpolation.h"

namespace brenwick::fieldmap {

Interpolated Trilinear(const Corners& corners, const std::array<double, 3>& local, const std::array<double, 3>& lengths) {
    Interpolated result;
    for (int corner = 0; corner < 8; ++corner) {
        const std::array<int, 3> upper{corner & 1, (corner >> 1) & 1, (corner >> 2) & 1};
        // The weight of the corner along each axis, and its slope across the element.
        std::array<double, 3> weight{}, slope{};
        for (int a = 0; a < 3; ++a) {
            weight[a] = upper[a] != 0 ? local[a] : 1.0 - local[a];
            slope[a] = (upper[a] != 0 ? 1.0 : -1.0) / lengths[a];
        }
        const double value = corners[corner];
        result.value += value * weight[0] * weight[1] * weight[2];
        result.gradient[0] += value * slope[0] * weight[1] * weight[2];
        result.gradient[1] += value * weight[0] * slope[1] * weight[2];
        result.gradient[2] += value * weight[0] * weight[1] * slope[2];
    }
    return result;
}

}  // namespace brenwick::fieldmap
