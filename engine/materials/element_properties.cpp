#include "element_properties.h"

#include "efm/grid.h"
#include "engine/support/parallel.h"
#include "engine/support/vector_clones.h"

#include <algorithm>
#include <cmath>
#include <type_traits>
#include <vector>

namespace brenwick {

namespace {

constexpr double kPi = 3.141592653589793;
constexpr double kUnsupportedValue = -99999;

// Codes above the density's all behave alike; the one after it stands for them. Codes 1
// (permeability) and 2 are the result reader's; the program itself asks for 0 and 3 only.
constexpr unsigned kUnsupported = kQuantityDensity + 1;
constexpr unsigned Category(unsigned quantity) { return SupportedQuantity(quantity) ? quantity : kUnsupported; }

// Calls f with the category of `quantity` as a compile-time constant
// (std::integral_constant<unsigned, category>), so that each category gets loops of its own.
template <typename F>
decltype(auto) WithCategory(unsigned quantity, F&& f) {
    switch (Category(quantity)) {
    case kQuantityPermittivity: return f(std::integral_constant<unsigned, kQuantityPermittivity>{});
    case 1: return f(std::integral_constant<unsigned, 1>{});
    case 2: return f(std::integral_constant<unsigned, 2>{});
    case kQuantityDensity: return f(std::integral_constant<unsigned, kQuantityDensity>{});
    default: return f(std::integral_constant<unsigned, kUnsupported>{});
    }
}

template <unsigned Quantity>
double ConvertComponent(double m, double g) {
    if constexpr (Quantity == kQuantityPermittivity) return 1 / (m * g * kVacuumPermittivity);
    if constexpr (Quantity == 1) return 1 / (m * g * kPi * 4e-7);
    if constexpr (Quantity == 2 || Quantity == kQuantityDensity) return m / g;
    return kUnsupportedValue;
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

// One row of elements (fixed j and k) along x.
template <unsigned Quantity>
BRENWICK_VECTOR_CLONES void ComputeRow(const float* mx, const float* my, const float* mz, const AxisArrays& x,
                                       const AxisLengths& y, const AxisLengths& z, float* row) {
    for (std::size_t i = 0; i < x.Cells(); ++i) {
        row[i] =
            ElementValue<Quantity>(mx[i], my[i], mz[i], InvFromLengths<UsesDualOverPrimary(Quantity)>(x.At(i), y, z));
    }
}

// The rows [first_row, end_row) of the element layers from `layers.first` on, counted from
// the first row of that layer, from node planes of the same k, which `planes` holds as three
// blocks of `block` values each (x, y, z components), its first plane being that of the first
// layer.
template <unsigned Quantity>
void ComputeRows(const float* planes, std::size_t block, const ElementLayers& layers, const std::array<int, 3>& dims,
                 const AxisArrays& x, const AxisArrays& y, const AxisArrays& z, std::size_t first_row,
                 std::size_t end_row, float* properties) {
    const std::size_t rows_per_plane = y.Cells();
    const std::size_t first_node = efm::NodeIndex(dims, 0, 0, layers.first);
    for (std::size_t row = first_row; row < end_row; ++row) {
        const std::size_t j = row % rows_per_plane;
        const std::size_t k = layers.first + row / rows_per_plane;
        const float* mx = planes + (efm::NodeIndex(dims, 0, j, k) - first_node);
        ComputeRow<Quantity>(mx, mx + block, mx + 2 * block, x, y.At(j), z.At(k),
                             properties + efm::ElementIndex(dims, 0, j, k));
    }
}

// The element layers [layers.first, layers.end), their rows shared between WorkerCount()
// threads `in_parallel`, else all on the calling thread.
template <unsigned Quantity>
void ComputeLayers(const float* planes, std::size_t block, const ElementLayers& layers, const std::array<int, 3>& dims,
                   const AxisLines& lines, float* properties, bool in_parallel, const std::stop_token& stop,
                   const WorkProgress& progress) {
    const AxisArrays x(lines.x), y(lines.y), z(lines.z);
    const std::size_t rows = y.Cells() * (layers.end - layers.first);
    const auto compute = [&](std::size_t first_row, std::size_t end_row) {
        ComputeRows<Quantity>(planes, block, layers, dims, x, y, z, first_row, end_row, properties);
    };
    if (in_parallel) {
        ParallelFor(rows, compute, stop, progress);
    } else {
        compute(0, rows);
    }
}

void ComputeLayersOf(const float* planes, std::size_t block, const ElementLayers& layers,
                     const std::array<int, 3>& dims, const AxisLines& lines, unsigned quantity, float* properties,
                     bool in_parallel, const std::stop_token& stop, const WorkProgress& progress) {
    WithCategory(quantity, [&](auto category) {
        ComputeLayers<decltype(category)::value>(planes, block, layers, dims, lines, properties, in_parallel, stop,
                                                 progress);
    });
}

}  // namespace

std::array<double, 3> ConvertNodeValues(const std::array<double, 3>& m, const InvFactors& inv, unsigned quantity) {
    return WithCategory(quantity, [&](auto category) -> std::array<double, 3> {
        constexpr unsigned q = decltype(category)::value;
        return {ConvertComponent<q>(m[0], inv.x), ConvertComponent<q>(m[1], inv.y), ConvertComponent<q>(m[2], inv.z)};
    });
}

float RootMeanSquare(const std::array<double, 3>& values) {
    return static_cast<float>(std::sqrt((values[0] * values[0] + values[1] * values[1] + values[2] * values[2]) / 3.0));
}

void ComputeElementProperties(const float* matrix, const std::array<int, 3>& dims, const AxisLines& lines,
                              unsigned quantity, float* properties, const std::stop_token& stop,
                              const WorkProgress& progress) {
    const ElementLayers all{0, static_cast<std::size_t>(std::max(dims[2] - 1, 0))};
    ComputeLayersOf(matrix, efm::NodeCount(dims), all, dims, lines, quantity, properties, true, stop, progress);
}

void ComputeElementLayers(const float* planes, const ElementLayers& layers, const std::array<int, 3>& dims,
                          const AxisLines& lines, unsigned quantity, float* properties) {
    const std::size_t block = efm::NodeIndex(dims, 0, 0, layers.end) - efm::NodeIndex(dims, 0, 0, layers.first);
    ComputeLayersOf(planes, block, layers, dims, lines, quantity, properties, false, {}, {});
}

}  // namespace brenwick
