#include "mesh_geometry.h"

#include "efm/grid.h"
#include "efm/mesh_lines.h"
#include "engine/engine_error.h"

#include <cstdint>
#include <limits>
#include <sstream>

namespace brenwick {

void CheckMeshDims(const std::array<int, 3>& dims) {
    std::ostringstream problem;
    if (dims[0] < 1 || dims[1] < 1 || dims[2] < 1) {
        problem << "The mesh has " << dims[0] << " x " << dims[1] << " x " << dims[2]
                << " lines; every axis needs at least one line.";
    } else if (efm::NodeCount(dims) > static_cast<std::uint64_t>(std::numeric_limits<std::int32_t>::max())) {
        problem << "The mesh of " << dims[0] << " x " << dims[1] << " x " << dims[2]
                << " lines has more nodes than the export file can count (at most "
                << std::numeric_limits<std::int32_t>::max() << ").";
    } else {
        return;
    }
    throw ProjectError(problem.str());
}

void CheckMeshLines(const AxisLines& lines) {
    const std::array<const std::vector<double>*, 3> axes{&lines.x, &lines.y, &lines.z};
    for (std::size_t axis = 0; axis < axes.size(); ++axis) {
        if (const auto problem = efm::MeshLinesProblem(*axes[axis], static_cast<efm::Axis>(axis))) {
            throw ProjectError(*problem);
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

}  // namespace brenwick
