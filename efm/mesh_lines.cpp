#include "mesh_lines.h"

#include <cmath>
#include <sstream>

namespace brenwick::efm {

std::optional<std::string> MeshLinesProblem(std::span<const double> lines, Axis axis) {
    const char name = AxisLetter(axis);
    std::ostringstream problem;
    for (std::size_t index = 0; index < lines.size(); ++index) {
        if (!std::isfinite(lines[index])) {
            problem << "The " << name << " mesh line " << index << " is not a finite number.";
            return problem.str();
        }
        if (index > 0 && !(lines[index] > lines[index - 1])) {
            problem << "The " << name << " mesh lines are not strictly increasing: line " << index << " at "
                    << lines[index] << " follows " << lines[index - 1] << ".";
            return problem.str();
        }
    }
    // Finite, increasing lines whose span overflows: -1e308 and 1e308.
    if (!lines.empty() && !std::isfinite(lines.back() - lines.front())) {
        problem << "The " << name << " mesh lines from " << lines.front() << " to " << lines.back()
                << " span a length that is not a finite number.";
        return problem.str();
    }
    return std::nullopt;
}

}  // namespace brenwick::efm
