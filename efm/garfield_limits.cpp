#include "garfield_limits.h"

#include <algorithm>
#include <sstream>

namespace brenwick::efm {

namespace {

// Garfield++ takes an element's material byte as the position of a record, not as an ID.
void CheckMaterialBytes(const MapFacts& facts, std::vector<std::string>& warnings) {
    const std::size_t records = facts.records.size();
    for (std::size_t byte = records; byte < facts.elements_per_byte.size(); ++byte) {
        if (facts.elements_per_byte[byte] == 0) continue;
        warnings.push_back(std::to_string(facts.elements_per_byte[byte]) + " elements have the material byte " +
                           std::to_string(byte) + ", which is no index into the " + std::to_string(records) +
                           " material records (Garfield++ takes them by position)");
    }
    for (std::size_t index = 0; index < records; ++index) {
        if (facts.records[index].id == static_cast<float>(index)) continue;
        std::ostringstream text;
        text << "material record " << index << " has the ID " << facts.records[index].id
             << ": Garfield++ gives it to the elements with the byte " << index;
        warnings.push_back(text.str());
    }
}

void CheckDriftGas(const MapFacts& facts, std::vector<std::string>& warnings) {
    const bool has_gas = std::any_of(facts.records.begin(), facts.records.end(),
                                     [](const MaterialRecord& record) { return record.description == "gas"; });
    if (!has_gas) warnings.push_back("no material is described as \"gas\": Garfield++ finds no drift medium");
}

}  // namespace

std::vector<std::string> GarfieldWarnings(const MapFacts& facts) {
    std::vector<std::string> warnings;
    if (facts.has_element_materials) {
        CheckMaterialBytes(facts, warnings);
        CheckDriftGas(facts, warnings);
    }
    return warnings;
}

}  // namespace brenwick::efm
