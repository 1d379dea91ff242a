#include "material_assignment.h"

#include "engine/engine_error.h"
#include "engine/support/large_array.h"
#include "engine/support/parallel.h"
#include "engine/support/vector_clones.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdint>
#include <stdexcept>

namespace brenwick {

namespace {

// What the element loop needs of one catalogue material.
struct Candidate {
    float value;
    bool is_empty_material;  // ID 0: takes the elements below the threshold
    unsigned char byte;
};

std::vector<Candidate> Candidates(const std::vector<Material>& materials, unsigned quantity) {
    std::vector<Candidate> candidates;
    candidates.reserve(materials.size());
    for (const Material& material : materials) {
        candidates.push_back({MatchingValue(material, quantity), material.ID == 0, MaterialByte(material.ID)});
    }
    return candidates;
}

// Bitwise rather than logical operators, so that the loop over a block has no branches.
bool IsWithoutMaterial(float property, bool permittivity_mode) {
    return (permittivity_mode & std::isinf(property)) | (static_cast<double>(std::fabs(property)) < 1e-4);
}

constexpr std::size_t kBlockSize = 4096;

// All bits set where `condition` holds: lets the loops below choose without branches, which
// is what allows the compiler to vectorise them.
std::int32_t Mask(bool condition) { return -static_cast<std::int32_t>(condition); }

// Assigns one block of elements. The candidates form the outer loop and the elements the
// inner one; for every element the candidates are still visited in table order, the choice
// moving on only to a strictly smaller distance (a NaN distance is never smaller), so the
// earliest of equal distances wins, exactly as an element-by-element scan decides.
BRENWICK_VECTOR_CLONES void AssignBlock(const float* properties, std::size_t count,
                                        const std::vector<Candidate>& candidates, double threshold,
                                        bool permittivity_mode, unsigned char* bytes) {
    if (candidates.empty()) {
        for (std::size_t e = 0; e < count; ++e) {
            if (!IsWithoutMaterial(properties[e], permittivity_mode)) {
                throw MaterialFileError(kEmptyCatalogue);
            }
        }
        std::fill_n(bytes, count, 0);
        return;
    }
    std::int32_t below_threshold[kBlockSize];
    for (std::size_t e = 0; e < count; ++e) below_threshold[e] = Mask(static_cast<double>(properties[e]) < threshold);

    float best[kBlockSize];
    std::int32_t chosen[kBlockSize];
    std::fill_n(best, count, 0.0f);  // the first candidate overwrites them; filled to read no garbage
    std::fill_n(chosen, count, 0);
    for (std::size_t c = 0; c < candidates.size(); ++c) {
        const Candidate candidate = candidates[c];
        const std::int32_t forced = Mask(candidate.is_empty_material);
        for (std::size_t e = 0; e < count; ++e) {
            // A forced distance is 0: clearing every bit of a float gives +0.
            const float distance =
                std::bit_cast<float>(std::bit_cast<std::int32_t>(std::fabs(properties[e] - candidate.value)) &
                                     ~(forced & below_threshold[e]));
            const std::int32_t closer = c == 0 ? -1 : Mask(best[e] > distance);
            best[e] = std::bit_cast<float>((std::bit_cast<std::int32_t>(distance) & closer) |
                                           (std::bit_cast<std::int32_t>(best[e]) & ~closer));
            chosen[e] = (candidate.byte & closer) | (chosen[e] & ~closer);
        }
    }
    for (std::size_t e = 0; e < count; ++e) {
        bytes[e] = static_cast<unsigned char>(chosen[e] & ~Mask(IsWithoutMaterial(properties[e], permittivity_mode)));
    }
}

}  // namespace

float MatchingValue(const Material& material, unsigned quantity) {
    return quantity == kQuantityPermittivity ? material.eps : material.rho_set;
}

const char* MatchingAttribute(unsigned quantity) { return quantity == kQuantityPermittivity ? "eps" : "rho_set"; }

float ThresholdReference(const std::vector<Material>& materials, unsigned quantity) {
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

void AssignMaterials(std::span<const float> properties, const std::vector<Material>& materials, unsigned quantity,
                     std::span<unsigned char> materials_of_elements, const std::stop_token& stop,
                     const WorkProgress& progress) {
    const std::vector<Candidate> candidates = Candidates(materials, quantity);
    const double threshold = 0.5 * static_cast<double>(ThresholdReference(materials, quantity));
    const bool permittivity_mode = quantity == kQuantityPermittivity;

    const std::size_t blocks = (properties.size() + kBlockSize - 1) / kBlockSize;
    ParallelFor(
        blocks,
        [&](std::size_t first_block, std::size_t end_block) {
            for (std::size_t block = first_block; block < end_block; ++block) {
                const std::size_t begin = block * kBlockSize;
                const std::size_t count = std::min(kBlockSize, properties.size() - begin);
                AssignBlock(properties.data() + begin, count, candidates, threshold, permittivity_mode,
                            materials_of_elements.data() + begin);
            }
        },
        stop, progress);
}

}  // namespace brenwick
