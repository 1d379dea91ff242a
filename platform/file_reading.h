// Reading a large file from a disk that may be slow, in pieces that each take a known time:
// without the system's read-ahead, which would queue more behind every piece, and knowing which
// part of the file the system already holds in memory, which reads at once however slow the
// disk. Windows decides on read-ahead when a file is opened and does not say what it holds, so
// there both do nothing.
#ifndef BRENWICK_PLATFORM_FILE_READING_H
#define BRENWICK_PLATFORM_FILE_READING_H

#include <cstdint>

namespace brenwick {

// From now on, reads of the file open as `descriptor` fetch what they ask for and nothing
// beyond.
void ReadWithoutReadAhead(int descriptor);

// How many of the `length` bytes at `offset` of the file open as `descriptor`, from `offset` on
// without a gap, are in the system's memory, so that reading them waits for no disk. 0 when
// that is not known.
std::uint64_t BytesInMemory(int descriptor, std::uint64_t offset, std::uint64_t length);

}  // namespace brenwick

#endif
