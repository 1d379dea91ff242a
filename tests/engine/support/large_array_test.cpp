// Where the engine's large arrays start: on a page, and the huge-page ones on a huge page, so
// that the system's copies from and to files run at full speed; and that the huge-page ones are
// advised as such before they are first touched.
#include "engine/support/large_array.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <fstream>
#include <sstream>
#include <string>

using namespace brenwick;

namespace {

constexpr std::uintptr_t kPage = 4096;
constexpr std::uintptr_t kHugePage = 2 << 20;

std::uintptr_t Address(const void* data) { return reinterpret_cast<std::uintptr_t>(data); }

#if defined(__linux__)
// Whether the mapping that holds `address` is advised for huge pages ("hg" in its VmFlags).
bool AdvisedForHugePages(std::uintptr_t address) {
    std::ifstream maps("/proc/self/smaps");
    bool inside = false;
    for (std::string line; std::getline(maps, line);) {
        std::uintptr_t begin = 0, end = 0;
        char dash = 0;
        std::istringstream range(line);
        if (range >> std::hex >> begin >> dash >> end && dash == '-') {
            inside = begin <= address && address < end;
        } else if (inside && line.rfind("VmFlags:", 0) == 0) {
            return line.find(" hg") != std::string::npos;
        }
    }
    return false;
}
#endif

TEST(LargeArray, StartsOnAPageOrOnWholeAdvisedHugePages) {
    struct Case {
        std::size_t floats;
        bool huge;
    };
    // 1.2 MB is on huge pages, though it fills only part of one.
    for (const Case& c : {Case{1, false}, Case{1000, false}, Case{300'000, true}, Case{3 << 20, true}}) {
        SCOPED_TRACE(c.floats);
        const std::uintptr_t alignment = c.huge ? kHugePage : kPage;
        const LargeArray<float> array = MakeLargeArray<float>({"a test array", c.floats});
        EXPECT_EQ(Address(array.get()) % alignment, 0u);
        LargeVector<unsigned char> bytes;
        ResizeLargeArray(bytes, {"a test vector", c.floats, 4});
        EXPECT_EQ(Address(bytes.data()) % alignment, 0u);
#if defined(__linux__)
        if (c.huge) {  // to the end of the last huge page it reaches into
            const std::uintptr_t last = (Address(array.get()) + c.floats * sizeof(float) - 1) | (kHugePage - 1);
            EXPECT_TRUE(AdvisedForHugePages(Address(array.get())));
            EXPECT_TRUE(AdvisedForHugePages(last));
        }
#endif
    }
}

}  // namespace
