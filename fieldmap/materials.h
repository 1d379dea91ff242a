// The material records of an export file as Garfield++ uses them: an element's byte is the
// position of its record (IDs are not looked up), and the records described exactly "gas" are
// drift media.
#ifndef BRENWICK_FIELDMAP_MATERIALS_H
#define BRENWICK_FIELDMAP_MATERIALS_H

#include "efm/format.h"

#include <span>
#include <string_view>

namespace brenwick::fieldmap {

inline constexpr std::string_view kDriftGasDescription = "gas";

bool IsDriftGas(const efm::MaterialRecord& record);

// The record at position `byte`, or nullptr when the byte names no record.
const efm::MaterialRecord* RecordOfByte(std::span<const efm::MaterialRecord> records, unsigned byte);

}  // namespace brenwick::fieldmap

#endif
