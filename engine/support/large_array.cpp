#include "large_array.h"

#include "size_text.h"

#include <cstdint>

#if defined(__linux__)
#include <sys/mman.h>
#endif

namespace brenwick {

void FailToAllocate(const LargeArraySize& size, std::size_t value_bytes, const char* value_word) {
    std::string message = std::string("Not enough memory for ") + size.purpose + ": ";
    if (size.blocks != 1) message += std::to_string(size.blocks) + " x ";
    const std::uint64_t bytes = std::uint64_t{size.Count()} * value_bytes;
    message += GroupedDigits(size.values) + " " + value_word + ", " + BinarySize(bytes) + ".";
    throw OutOfMemory(std::move(message));
}

namespace {

constexpr std::size_t kHugePage = std::size_t{2} << 20;
constexpr std::size_t kPage = 4096;  // the smallest page of the systems Brenwick runs on

bool OnHugePages(std::size_t bytes) { return bytes >= kHugePage / 2; }

// What is taken for an array of `bytes`: whole huge pages for those on huge pages.
std::size_t TakenBytes(std::size_t bytes) {
    return OnHugePages(bytes) ? (bytes + kHugePage - 1) / kHugePage * kHugePage : bytes;
}

std::align_val_t Alignment(std::size_t bytes) { return std::align_val_t{OnHugePages(bytes) ? kHugePage : kPage}; }

}  // namespace

void* AllocateLargeBlock(std::size_t bytes) {
    if (bytes > SIZE_MAX - kHugePage) throw std::bad_array_new_length();
    const std::size_t taken = TakenBytes(bytes);
    void* data = ::operator new(taken, Alignment(bytes));
#if defined(__linux__) && defined(MADV_HUGEPAGE)
    if (OnHugePages(bytes)) madvise(data, taken, MADV_HUGEPAGE);  // only a hint
#endif
    return data;
}

void FreeLargeBlock(void* data, std::size_t bytes) noexcept { ::operator delete(data, Alignment(bytes)); }

}  // namespace brenwick
