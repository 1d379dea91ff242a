#include "material_assignment.h"

#include "large_array.h"
#include "parallel.h"

#include <cmath>
#include <cstdint>
#include <stdexcept>

namespace {

// What the element loop needs of one catalogue material.
struct Candidate {
    float value;
    bool is_empty_material;  // ID 0: takes the elements below the threshold
    unsigned char byte;
};

std::vector<Candidate> Candidates(const std::vector<Material>& materials, int quantity) {
    std::vector<Candidate> candidates;
    candidates.reserve(materials.size());
    for (const Material& material : materials) {
        candidates.push_back({MatchingValue(material, quantity), material.ID == 0, MaterialByte(material.ID)});
    }
    return candidates;
}

bool IsWithoutMaterial(float property, bool permittivity_mode) {
    const bool infinite = std::isinf(property);
    return (permittivity_mode && infinite) || static_cast<double>(std::fabs(property)) < 1e-4;
}

// The earliest candidate at the smallest distance; a NaN distance never counts as greater.
unsigned char NearestMaterial(float property, double threshold, const std::vector<Candidate>& candidates) {
    if (candidates.empty()) throw std::out_of_range("invalid vector<T> subscript");
    const bool below_threshold = static_cast<double>(property) < threshold;
    auto distance = [&](const Candidate& candidate) {
        return candidate.is_empty_material && below_threshold ? 0.0f : std::fabs(property - candidate.value);
    };
    const Candidate* chosen = &candidates.front();
    float chosen_distance = distance(*chosen);
    for (const Candidate& candidate : candidates) {
        const float candidate_distance = distance(candidate);
        if (chosen_distance > candidate_distance) {
            chosen = &candidate;
            chosen_distance = candidate_distance;
        }
    }
    return chosen->byte;
}

}  // namespace

float MatchingValue(const Material& material, int quantity) {
    return quantity == 0 ? material.eps : material.rho_set;
}

float ThresholdReference(const std::vector<Material>& materials, int quantity) {
    bool found = false;
    float reference = 0;
    for (const Material& material : materials) {
        if (material.ID == 0) continue;
        const float value = MatchingValue(material, quantity);
        if (!found || reference > value) reference = value;
        found = true;
    }
    return reference;
}

unsigned char MaterialByte(float id) {
    // Only values in [-2^31, 2^31) convert to int32 without undefined behaviour.
    if (!(id >= -2147483648.0f && id < 2147483648.0f)) return 0;
    return static_cast<unsigned char>(static_cast<std::uint32_t>(static_cast<std::int32_t>(id)) & 0xFFu);
}

void AssignMaterials(const std::vector<float>& properties, const std::vector<Material>& materials, int quantity,
                     std::vector<unsigned char>& materials_of_elements) {
    const std::vector<Candidate> candidates = Candidates(materials, quantity);
    const double threshold = 0.5 * static_cast<double>(ThresholdReference(materials, quantity));
    const bool permittivity_mode = quantity == 0;
    ResizeLargeArray(materials_of_elements, properties.size());

    ParallelFor(properties.size(), [&](std::size_t begin, std::size_t end) {
        for (std::size_t e = begin; e < end; ++e) {
            const float property = properties[e];
            materials_of_elements[e] = IsWithoutMaterial(property, permittivity_mode)
                                           ? 0
                                           : NearestMaterial(property, threshold, candidates);
        }
    });
}
