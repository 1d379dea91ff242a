#include "element_properties.h"

#include "parallel.h"

#include <cmath>
#include <type_traits>
#include <vector>

namespace brenwick {

namespace {

constexpr double vacuum_permittivity = 8.85418782e-12;
constexpr double pi = 3.141592653589793;
constexpr double unsupported_value = -99999;

// Quantity codes above 3 all behave alike; 4 stands for them.
constexpr unsigned Category(unsigned quantity) { return quantity > 3 ? 4 : quantity; }

template <unsigned Quantity>
double ConvertComponent(double m, double g) {
    if constexpr (Quantity == 0) return 1 / (m * g * vacuum_permittivity);
    if constexpr (Quantity == 1) return 1 / (m * g * pi * 4e-7);
    if constexpr (Quantity == 2 || Quantity == 3) return m / g;
    return unsupported_value;
}

template <unsigned Quantity>
float ElementValue(double mx, double my, double mz, const InvFactors& inv) {
    return RootMeanSquare({ConvertComponent<Quantity>(mx, inv.x), ConvertComponent<Quantity>(my, inv.y),
                           ConvertComponent<Quantity>(mz, inv.z)});
}

// Edge and dual lengths of every cell of one axis, as separate arrays so that the row loop
// below reads them with plain vector loads.
struct AxisArrays {
    std::vector<double> edge, dual;

    explicit AxisArrays(const std::vector<double>& lines) {
        for (std::size_t index = 0; index + 1 < lines.size(); ++index) {
            const AxisLengths lengths = AxisLengthsAt(lines, index);
            edge.push_back(lengths.edge);
            dual.push_back(lengths.dual);
        }
    }
    std::size_t Cells() const { return edge.size(); }
    AxisLengths At(std::size_t index) const { return {edge[index], dual[index]}; }
};

// One row of elements (fixed j and k) along x. The products are formed exactly as
// InvFromLengths forms them; the row-constant ones are formed once, with the same result.
template <unsigned Quantity>
void ComputeRow(const float* mx, const float* my, const float* mz, const AxisArrays& x, const AxisLengths& y,
                const AxisLengths& z, float* row) {
    const std::size_t cells = x.Cells();
    const double* dx = x.edge.data();
    const double* hx = x.dual.data();
    if constexpr (Quantity == 0 || Quantity == 2) {
        const double hz_hy = z.dual * y.dual;
        for (std::size_t i = 0; i < cells; ++i) {
            const InvFactors inv{hz_hy / dx[i], z.dual * hx[i] / y.edge, y.dual * hx[i] / z.edge};
            row[i] = ElementValue<Quantity>(mx[i], my[i], mz[i], inv);
        }
    } else {
        const double dz_dy = z.edge * y.edge;
        for (std::size_t i = 0; i < cells; ++i) {
            const InvFactors inv{dz_dy / hx[i], z.edge * dx[i] / y.dual, y.edge * dx[i] / z.dual};
            row[i] = ElementValue<Quantity>(mx[i], my[i], mz[i], inv);
        }
    }
}

template <unsigned Quantity>
void ComputeAll(const float* matrix, const std::array<int, 3>& dims, const MeshLines& lines, float* properties,
                const std::stop_token& stop, const WorkProgress& progress) {
    const AxisArrays x(lines.x), y(lines.y), z(lines.z);
    const std::size_t nx = static_cast<std::size_t>(dims[0]);
    const std::size_t ny = static_cast<std::size_t>(dims[1]);
    const std::size_t node_count = NodeCount(dims);
    const std::size_t rows_per_plane = y.Cells();

    ParallelFor(
        rows_per_plane * z.Cells(),
        [&](std::size_t first_row, std::size_t end_row) {
            for (std::size_t row = first_row; row < end_row; ++row) {
                const std::size_t j = row % rows_per_plane;
                const std::size_t k = row / rows_per_plane;
                const float* mx = matrix + nx * (j + ny * k);
                ComputeRow<Quantity>(mx, mx + node_count, mx + 2 * node_count, x, y.At(j), z.At(k),
                                     properties + row * x.Cells());
            }
        },
        stop, progress);
}

}  // namespace

bool UsesDualOverPrimary(unsigned quantity) { return quantity == 0 || quantity == 2; }

std::array<double, 3> ConvertNodeValues(const std::array<double, 3>& m, const InvFactors& inv,
                                        unsigned quantity) {
    auto convert = [&](auto category) -> std::array<double, 3> {
        constexpr unsigned q = decltype(category)::value;
        return {ConvertComponent<q>(m[0], inv.x), ConvertComponent<q>(m[1], inv.y), ConvertComponent<q>(m[2], inv.z)};
    };
    switch (Category(quantity)) {
    case 0: return convert(std::integral_constant<unsigned, 0>{});
    case 1: return convert(std::integral_constant<unsigned, 1>{});
    case 2: return convert(std::integral_constant<unsigned, 2>{});
    case 3: return convert(std::integral_constant<unsigned, 3>{});
    default: return convert(std::integral_constant<unsigned, 4>{});
    }
}

float RootMeanSquare(const std::array<double, 3>& values) {
    return static_cast<float>(
        std::sqrt((values[0] * values[0] + values[1] * values[1] + values[2] * values[2]) / 3.0));
}

void ComputeElementProperties(const float* matrix, const std::array<int, 3>& dims, const MeshLines& lines,
                              unsigned quantity, float* properties, const std::stop_token& stop,
                              const WorkProgress& progress) {
    switch (Category(quantity)) {
    case 0: return ComputeAll<0>(matrix, dims, lines, properties, stop, progress);
    case 1: return ComputeAll<1>(matrix, dims, lines, properties, stop, progress);
    case 2: return ComputeAll<2>(matrix, dims, lines, properties, stop, progress);
    case 3: return ComputeAll<3>(matrix, dims, lines, properties, stop, progress);
    default: return ComputeAll<4>(matrix, dims, lines, properties, stop, progress);
    }
}

}  // namespace brenwick
