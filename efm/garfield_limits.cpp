#include "garfield_limits.h"

#include <cmath>
#include <sstream>

namespace brenwick::efm {

namespace {

// Garfield++ takes an element's material byte as the position of a record, not as an ID.
void CheckMaterialBytes(const MapFacts& facts, std::vector<std::string>& warnings) {
    const std::size_t records = facts.records.size();
    const std::vector<unsigned> bytes = BytesWithoutRecord(facts.elements_per_byte, facts.records);
    std::uint64_t elements = 0;
    for (const unsigned byte : bytes) elements += facts.elements_per_byte[byte];
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

// Garfield++ makes the records described exactly "gas" its drift medium, but its SetGas gives
// the gas only to materials whose eps is within 1e-4 of 1.
void CheckDriftGas(const MapFacts& facts, std::vector<std::string>& warnings) {
    bool has_gas = false;
    for (std::size_t index = 0; index < facts.records.size(); ++index) {
        const MaterialRecord& record = facts.records[index];
        if (!IsDriftGas(record)) continue;
        has_gas = true;
        // Garfield++'s own comparison, under which a NaN eps counts as 1.
        if (!(std::fabs(static_cast<double>(record.eps) - 1.0) > kGasEpsTolerance)) continue;
        std::ostringstream text;
        text << "material record " << index << " is described \"gas\" but has eps = " << record.eps
             << ": Garfield++'s SetGas gives the gas only to materials with eps within 1e-4 of 1; call SetMedium("
             << index << ", gas) on the component to give it this record";
        warnings.push_back(text.str());
    }
    if (!has_gas) {
        warnings.push_back(
            "no material record is described exactly \"gas\" (lower case): Garfield++ drifts electrons only in "
            "such a record, so nothing will drift; describe the drift gas as \"gas\" in the material file and export "
            "again, or call DriftMedium(record index) on the component");
    }
}

void CheckFileSize(const MapFacts& facts, std::vector<std::string>& warnings) {
    if (!GarfieldMisreadsSize(facts.file_size)) return;
    std::ostringstream text;
    text << "the file has " << facts.file_size << " bytes, 2 GiB or more: Garfield++ holds the size of a field map in "
         << "a 32-bit int when it reads it, so it refuses the file as too short or misjudges its size; use a "
         << "coarser mesh or a smaller region to stay below " << kGarfieldSizeLimit << " bytes";
    warnings.push_back(text.str());
}

}  // namespace

bool IsDriftGas(const MaterialRecord& record) { return record.description == kDriftGasDescription; }

const MaterialRecord* RecordOfByte(std::span<const MaterialRecord> records, unsigned byte) {
    return byte < records.size() ? &records[byte] : nullptr;
}

std::vector<unsigned> BytesWithoutRecord(const ElementsPerByte& elements, std::span<const MaterialRecord> records) {
    std::vector<unsigned> bytes;
    for (unsigned byte = 0; byte < elements.size(); ++byte) {
        if (elements[byte] > 0 && RecordOfByte(records, byte) == nullptr) bytes.push_back(byte);
    }
    return bytes;
}

bool GarfieldMisreadsSize(std::uint64_t file_size) { return file_size >= kGarfieldSizeLimit; }

std::vector<std::string> GarfieldWarnings(const MapFacts& facts) {
    std::vector<std::string> warnings;
    CheckFileSize(facts, warnings);
    if (facts.has_element_materials) {
        CheckMaterialBytes(facts, warnings);
        CheckDriftGas(facts, warnings);
    }
    return warnings;
}

}  // namespace brenwick::efm
