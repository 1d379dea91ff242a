// The one rule for the mesh lines of an axis, for whatever hands them over (a result reader to
// the engine, an export file to its readers): finite numbers, strictly increasing, and first
// and last line no further apart than a double can hold. Then every element has a positive,
// finite length, and a coordinate between two lines can be found by bisection.
#ifndef BRENWICK_EFM_MESH_LINES_H
#define BRENWICK_EFM_MESH_LINES_H

#include "format.h"

#include <optional>
#include <span>
#include <string>

namespace brenwick::efm {

// What makes these lines of `axis` unusable, as a sentence that names the axis and the first
// fault ("The x mesh line 2 is not a finite number."); nothing for usable lines.
std::optional<std::string> MeshLinesProblem(std::span<const double> lines, Axis axis);

}  // namespace brenwick::efm

#endif
