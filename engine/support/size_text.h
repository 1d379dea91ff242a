// Counts and sizes as the program's messages write them.
#ifndef BRENWICK_SIZE_TEXT_H
#define BRENWICK_SIZE_TEXT_H

#include <cstdint>
#include <string>

namespace brenwick {

// The number with its digits grouped by three: "8,000,000,000".
std::string GroupedDigits(std::uint64_t number);

// Bytes in the largest binary unit that leaves at least 1 of it, with one decimal:
// "89.4 GiB"; below 1 KiB the bytes themselves: "512 bytes".
std::string BinarySize(std::uint64_t bytes);

}  // namespace brenwick

#endif
