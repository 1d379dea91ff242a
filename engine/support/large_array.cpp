#include "large_array.h"

#include "size_text.h"

#include <cstdint>

#if defined(__linux__)
#include <sys/mman.h>
#include <unistd.h>
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

bool WorthHugePages(std::size_t bytes) { return bytes >= 2 * kHugePage; }

}  // namespace

std::align_val_t LargeArrayAlignment(std::size_t bytes) {
    return std::align_val_t{WorthHugePages(bytes) ? kHugePage : kPage};
}

void AdviseHugePages([[maybe_unused]] void* data, [[maybe_unused]] std::size_t bytes) {
#if defined(__linux__) && defined(MADV_HUGEPAGE)
    if (!WorthHugePages(bytes)) return;
    const auto page = static_cast<std::uintptr_t>(sysconf(_SC_PAGESIZE));
    const auto begin = (reinterpret_cast<std::uintptr_t>(data) + page - 1) / page * page;
    const auto end = (reinterpret_cast<std::uintptr_t>(data) + bytes) / page * page;
    if (end > begin) madvise(reinterpret_cast<void*>(begin), end - begin, MADV_HUGEPAGE);
#endif
}

}  // namespace brenwick
