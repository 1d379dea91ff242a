#include "grid.h"

#include "efm/mesh_lines.h"

#include <cstdint>
#include <limits>
#include <sstream>
#include <stdexcept>

namespace brenwick {

namespace {

std::size_t AxisCount(int lines) { return lines > 0 ? static_cast<std::size_t>(lines) : 0; }
std::size_t AxisElements(int lines) { return lines > 1 ? static_cast<std::size_t>(lines) - 1 : 0; }

// Product of three counts each below 2^31: at most 2^93, so it is checked in two steps.
bool ProductFitsInt32(std::size_t a, std::size_t b, std::size_t c) {
    constexpr std::uint64_t limit = std::numeric_limits<std::int32_t>::max();
    if (a == 0 || b == 0 || c == 0) return true;
    if (a > limit / b) return false;
    return a * b <= limit / c;
}

}  // namespace

std::size_t NodeCount(const std::array<int, 3>& dims) {
    return AxisCount(dims[0]) * AxisCount(dims[1]) * AxisCount(dims[2]);
}

std::size_t ElementCount(const std::array<int, 3>& dims) {
    return AxisElements(dims[0]) * AxisElements(dims[1]) * AxisElements(dims[2]);
}

void CheckMeshDims(const std::array<int, 3>& dims) {
    std::ostringstream problem;
    if (dims[0] < 1 || dims[1] < 1 || dims[2] < 1) {
        problem << "The mesh has " << dims[0] << " x " << dims[1] << " x " << dims[2]
                << " lines; every axis needs at least one line.";
    } else if (!ProductFitsInt32(AxisCount(dims[0]), AxisCount(dims[1]), AxisCount(dims[2]))) {
        problem << "The mesh of " << dims[0] << " x " << dims[1] << " x " << dims[2]
                << " lines has more nodes than the export file can count (at most "
                << std::numeric_limits<std::int32_t>::max() << ").";
    } else {
        return;
    }
    throw std::runtime_error(problem.str());
}

void CheckMeshLines(const MeshLines& lines) {
    const std::array<const std::vector<double>*, 3> axes{&lines.x, &lines.y, &lines.z};
    for (std::size_t axis = 0; axis < axes.size(); ++axis) {
        if (const auto problem = efm::MeshLinesProblem(*axes[axis], static_cast<efm::Axis>(axis))) {
            throw std::runtime_error(*problem);
        }
    }
}

AxisLengths AxisLengthsAt(const std::vector<double>& lines, std::size_t index) {
    AxisLengths lengths;
    lengths.edge = lines.at(index + 1) - lines.at(index);
    lengths.dual = index > 0 ? (lines[index] - lines[index - 1]) * 0.5 + lengths.edge * 0.5
                             : lengths.edge * 0.5;
    return lengths;
}

InvFactors InvFromLengths(const AxisLengths& ax, const AxisLengths& ay, const AxisLengths& az,
                          bool dual_over_primary) {
    if (dual_over_primary) {
        return {az.dual * ay.dual / ax.edge, az.dual * ax.dual / ay.edge, ay.dual * ax.dual / az.edge};
    }
    return {az.edge * ay.edge / ax.dual, az.edge * ax.edge / ay.dual, ay.edge * ax.edge / az.dual};
}

}  // namespace brenwick
