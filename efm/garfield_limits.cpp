#include "garfield_limits.h"

#include <algorithm>
#include <sstream>

namespace brenwick::efm {

namespace {

// Garfield++ takes an element's material byte as the position of a record, not as an ID.
void CheckMaterialBytes(const MapFacts& facts, std::vector<std::string>& warnings) {
    const std::size_t records = facts.records.size();
    std::uint64_t elements = 0;
    std::vector<std::size_t> bytes;
    for (std::size_t byte = records; byte < facts.elements_per_byte.size(); ++byte) {
        if (facts.elements_per_byte[byte] == 0) continue;
        elements += facts.elements_per_byte[byte];
        bytes.push_back(byte);
    }
    if (!bytes.empty()) {
        std::ostringstream text;
        text << elements << " elements have a material byte that is no index into the " << records
             << " material records (byte " << bytes.front();
        if (bytes.size() > 1) text << " and " << bytes.size() - 1 << " more";
        text << "): Garfield++ takes the byte as a record's position; give the materials the IDs 0, 1, 2, ... in "
                "file order";
        warnings.push_back(text.str());
    }
    std::size_t misnumbered = 0;
    std::size_t first = 0;
    for (std::size_t index = records; index-- > 0;) {
        if (facts.records[index].id == static_cast<float>(index)) continue;
        ++misnumbered;
        first = index;
    }
    if (misnumbered > 0) {
        std::ostringstream text;
        text << misnumbered << " material records have an ID other than their position (record " << first
             << " has the ID " << facts.records[first].id << "): Garfield++ gives record " << first
             << " to the elements with the byte " << first << "; give the materials the IDs 0, 1, 2, ... in file order";
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
