#include "materials.h"

namespace brenwick::fieldmap {

bool IsDriftGas(const efm::MaterialRecord& record) { return record.description == kDriftGasDescription; }

const efm::MaterialRecord* RecordOfByte(std::span<const efm::MaterialRecord> records, unsigned byte) {
    return byte < records.size() ? &records[byte] : nullptr;
}

}  // namespace brenwick::fieldmap
