// How Garfield++ reads a well-formed export file, and what it will misread or misuse in one: the
// rules that every part of the program showing an export follows, and the checks that both the
// export and `brenwick-cli inspect` run, so that a user hears of a problem before a simulation
// does.
#ifndef BRENWICK_EFM_GARFIELD_LIMITS_H
#define BRENWICK_EFM_GARFIELD_LIMITS_H

#include "format.h"

#include <array>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace brenwick::efm {

// What Garfield++ will see of a file.
struct MapFacts {
    std::uint64_t file_size = 0;
    bool has_element_materials = false;  // false for a file of potentials only
    std::span<const MaterialRecord> records;
    ElementsPerByte elements_per_byte{};
};

// The description that makes a record Garfield++'s drift medium, exactly (case matters).
inline constexpr std::string_view kDriftGasDescription = "gas";
bool IsDriftGas(const MaterialRecord& record);

// Garfield++ takes an element's material byte as the position of a record, not as an ID: the
// record at position `byte`, or nullptr when the byte names no record.
const MaterialRecord* RecordOfByte(std::span<const MaterialRecord> records, unsigned byte);

// The bytes that some elements have but that name no record, in increasing order.
std::vector<unsigned> BytesWithoutRecord(const ElementsPerByte& elements, std::span<const MaterialRecord> records);

// How far from 1 the eps of a material may be for Garfield++'s SetGas to give it the gas.
inline constexpr double kGasEpsTolerance = 1e-4;
// The first file size Garfield++ cannot hold in its 32-bit int: 2 GiB.
inline constexpr std::uint64_t kGarfieldSizeLimit = std::uint64_t{1} << 31;

// Whether Garfield++ refuses or misreads a file of this size.
bool GarfieldMisreadsSize(std::uint64_t file_size);

// The warnings for a file with these facts, each worded so that the user knows what to do.
std::vector<std::string> GarfieldWarnings(const MapFacts& facts);

}  // namespace brenwick::efm

#endif
