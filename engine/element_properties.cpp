#include "element_properties.h"

#include "parallel.h"

#include <cmath>
#include <vector>

namespace {

constexpr double vacuum_permittivity = 8.85418782e-12;
constexpr double pi = 3.141592653589793;
constexpr double unsupported_value = -99999;

double ConvertComponent(double m, double g, unsigned quantity) {
    switch (quantity) {
    case 0: return 1 / (m * g * vacuum_permittivity);
    case 1: return 1 / (m * g * pi * 4e-7);
    case 2:
    case 3: return m / g;
    default: return unsupported_value;
    }
}

}  // namespace

bool UsesDualOverPrimary(unsigned quantity) { return quantity == 0 || quantity == 2; }

std::array<double, 3> ConvertNodeValues(const std::array<double, 3>& m, const InvFactors& inv,
                                        unsigned quantity) {
    return {ConvertComponent(m[0], inv.x, quantity), ConvertComponent(m[1], inv.y, quantity),
            ConvertComponent(m[2], inv.z, quantity)};
}

float RootMeanSquare(const std::array<double, 3>& values) {
    return static_cast<float>(
        std::sqrt((values[0] * values[0] + values[1] * values[1] + values[2] * values[2]) / 3.0));
}

namespace {

std::vector<AxisLengths> LengthsOfAxis(const std::vector<double>& lines) {
    std::vector<AxisLengths> lengths(lines.size() > 1 ? lines.size() - 1 : 0);
    for (std::size_t index = 0; index < lengths.size(); ++index) lengths[index] = AxisLengthsAt(lines, index);
    return lengths;
}

struct AxesLengths {
    std::vector<AxisLengths> x, y, z;
};

// One row of elements (fixed j and k) along x. Kept free of branches on the quantity so that
// the compiler can vectorise it; the quantity is a template argument.
template <unsigned Quantity>
void ComputeRow(const float* matrix, std::size_t node_count, std::size_t first_node, const AxesLengths& axes,
                std::size_t j, std::size_t k, float* row) {
    const bool dual_over_primary = UsesDualOverPrimary(Quantity);
    const std::size_t elements = axes.x.size();
    for (std::size_t i = 0; i < elements; ++i) {
        const std::size_t s = first_node + i;
        const InvFactors inv = InvFromLengths(axes.x[i], axes.y[j], axes.z[k], dual_over_primary);
        const std::array<double, 3> m{matrix[s], matrix[s + node_count], matrix[s + 2 * node_count]};
        row[i] = RootMeanSquare(ConvertNodeValues(m, inv, Quantity));
    }
}

using RowFunction = void (*)(const float*, std::size_t, std::size_t, const AxesLengths&, std::size_t,
                             std::size_t, float*);

RowFunction RowFunctionFor(unsigned quantity) {
    switch (quantity) {
    case 0: return ComputeRow<0>;
    case 1: return ComputeRow<1>;
    case 2: return ComputeRow<2>;
    case 3: return ComputeRow<3>;
    default: return ComputeRow<4>;
    }
}

}  // namespace

void ComputeElementProperties(const float* matrix, const std::array<int, 3>& dims, const MeshLines& lines,
                              unsigned quantity, float* properties) {
    const AxesLengths axes{LengthsOfAxis(lines.x), LengthsOfAxis(lines.y), LengthsOfAxis(lines.z)};
    const std::size_t nx = static_cast<std::size_t>(dims[0]);
    const std::size_t ny = static_cast<std::size_t>(dims[1]);
    const std::size_t node_count = NodeCount(dims);
    const std::size_t rows_per_plane = axes.y.size();
    const RowFunction compute_row = RowFunctionFor(quantity);

    ParallelFor(rows_per_plane * axes.z.size(), [&](std::size_t first_row, std::size_t end_row) {
        for (std::size_t row = first_row; row < end_row; ++row) {
            const std::size_t j = row % rows_per_plane;
            const std::size_t k = row / rows_per_plane;
            compute_row(matrix, node_count, nx * (j + ny * k), axes, j, k, properties + row * axes.x.size());
        }
    });
}
