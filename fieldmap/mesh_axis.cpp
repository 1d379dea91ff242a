#include "mesh_axis.h"

#include <algorithm>
#include <numeric>
#include <sstream>
#include <stdexcept>

namespace brenwick::fieldmap {

std::string AxisName(efm::Axis axis) {
    if (axis != efm::Axis::x && axis != efm::Axis::y && axis != efm::Axis::z) {
        throw std::invalid_argument("AxisName: no such axis");
    }
    return std::string(1, efm::AxisLetter(axis));
}

std::vector<double> AxisCoordinates(const efm::Reader& reader, efm::Axis axis) {
    if (reader.header().HasMesh()) return reader.Lines(axis);
    std::vector<double> indices(static_cast<std::size_t>(reader.MeshDims()[static_cast<std::size_t>(axis)]));
    std::iota(indices.begin(), indices.end(), 0.0);
    return indices;
}

std::optional<std::size_t> CellOf(std::span<const double> lines, double x) {
    // Written so that NaN fails both comparisons and lands outside.
    if (lines.size() < 2 || !(x >= lines.front() && x <= lines.back())) return std::nullopt;
    const auto above = std::lower_bound(lines.begin(), lines.end(), x);
    const auto cell = static_cast<std::size_t>(above - lines.begin());
    return cell == 0 ? 0 : cell - 1;
}

std::size_t NearestLine(std::span<const double> lines, double x, efm::Axis axis) {
    if (lines.empty() || !(x >= lines.front() && x <= lines.back())) {
        std::ostringstream text;
        text << "the coordinate " << x << " lies outside the mesh along " << AxisName(axis);
        if (!lines.empty()) text << " (" << lines.front() << " to " << lines.back() << ")";
        throw std::out_of_range(text.str());
    }
    const auto above = std::lower_bound(lines.begin(), lines.end(), x);
    const auto line = static_cast<std::size_t>(above - lines.begin());
    if (line == 0) return 0;
    return x - lines[line - 1] <= *above - x ? line - 1 : line;
}

}  // namespace brenwick::fieldmap
