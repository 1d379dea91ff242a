// Values that are no finite numbers in what an export writes: the potential at a node, or the
// material property of an element. They are written as read; the user is told where they are.
#ifndef BRENWICK_VALUE_CHECKS_H
#define BRENWICK_VALUE_CHECKS_H

#include <array>
#include <optional>
#include <span>
#include <string>

namespace brenwick {

// A warning naming how many node values are NaN or infinite and the first such node (index
// and i, j, k), or nothing when all are finite.
std::optional<std::string> NonFiniteNodeWarning(std::span<const float> node_values, const std::array<int, 3>& dims);

// The same for the material properties of the elements.
std::optional<std::string> NonFiniteElementWarning(std::span<const float> element_properties,
                                                   const std::array<int, 3>& dims);

}  // namespace brenwick

#endif
