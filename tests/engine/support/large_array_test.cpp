// Where the engine's large arrays start: on a page, and the huge-page ones on a huge page, so
// that the system's copies from and to files run at full speed.
#include "engine/support/large_array.h"

#include <gtest/gtest.h>

#include <cstdint>

using namespace brenwick;

namespace {

std::uintptr_t Address(const void* data) { return reinterpret_cast<std::uintptr_t>(data); }

TEST(LargeArray, StartsOnAPageOrAHugePage) {
    constexpr std::uintptr_t kPage = 4096;
    constexpr std::uintptr_t kHugePage = 2 << 20;
    for (const std::size_t count : {std::size_t{1}, std::size_t{1000}, std::size_t{3} << 20}) {
        SCOPED_TRACE(count);
        const std::uintptr_t alignment = count * sizeof(float) >= 2 * kHugePage ? kHugePage : kPage;
        const LargeArray<float> array = MakeLargeArray<float>({"a test array", count});
        EXPECT_EQ(Address(array.get()) % alignment, 0u);
        LargeVector<unsigned char> bytes;
        ResizeLargeArray(bytes, {"a test vector", count, 4});
        EXPECT_EQ(Address(bytes.data()) % alignment, 0u);
    }
}

}  // namespace
