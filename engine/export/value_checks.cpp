#include "value_checks.h"

#include "engine/support/parallel.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <mutex>

namespace brenwick {

namespace {

struct NonFinite {
    std::size_t count = 0;
    std::size_t first = 0;
    std::array<std::size_t, 3> position{};  // i, j, k of the first
};

// Counts the values that are no finite numbers; `dims` are the grid's sizes along x, y, z. The
// threads count their parts of the array without stopping at the first, which lets the count
// run over whole vectors, and only a part that has one looks for it.
std::optional<NonFinite> FindNonFinite(std::span<const float> values, const std::array<std::size_t, 3>& dims) {
    const auto not_finite = [](float value) { return !std::isfinite(value); };
    std::mutex merging;
    NonFinite found{0, values.size(), {}};
    ParallelFor(values.size(), [&](std::size_t begin, std::size_t end) {
        const auto part = values.subspan(begin, end - begin);
        std::size_t count = 0;
        for (const float value : part) count += not_finite(value) ? 1 : 0;
        if (count == 0) return;
        const auto first =
            begin + static_cast<std::size_t>(std::find_if(part.begin(), part.end(), not_finite) - part.begin());
        const std::lock_guard lock(merging);
        found.count += count;
        found.first = std::min(found.first, first);
    });
    if (found.count == 0) return std::nullopt;
    found.position = {found.first % dims[0], found.first / dims[0] % dims[1], found.first / (dims[0] * dims[1])};
    return found;
}

std::string Where(const char* what, const NonFinite& found) {
    return std::string(what) + " " + std::to_string(found.first) + ", i = " + std::to_string(found.position[0]) +
           ", j = " + std::to_string(found.position[1]) + ", k = " + std::to_string(found.position[2]);
}

}  // namespace

std::optional<std::string> NonFiniteNodeWarning(std::span<const float> node_values, const std::array<int, 3>& dims) {
    const std::array<std::size_t, 3> nodes{static_cast<std::size_t>(dims[0]), static_cast<std::size_t>(dims[1]),
                                           static_cast<std::size_t>(dims[2])};
    const std::optional<NonFinite> found = FindNonFinite(node_values, nodes);
    if (!found) return std::nullopt;
    return std::to_string(found->count) + " node values of the potential are not finite numbers (the first at " +
           Where("node", *found) + "); they are written as read, so make sure that no electron drifts there";
}

std::optional<std::string> NonFiniteElementWarning(std::span<const float> element_properties,
                                                   const std::array<int, 3>& dims) {
    const std::array<std::size_t, 3> elements{static_cast<std::size_t>(std::max(dims[0] - 1, 1)),
                                              static_cast<std::size_t>(std::max(dims[1] - 1, 1)),
                                              static_cast<std::size_t>(std::max(dims[2] - 1, 1))};
    const std::optional<NonFinite> found = FindNonFinite(element_properties, elements);
    if (!found) return std::nullopt;
    return std::to_string(found->count) +
           " elements have a material property that is not a finite number (the first is " + Where("element", *found) +
           "); the assignment gave them a material all the same: check the project's "
           "material data there";
}

}  // namespace brenwick
