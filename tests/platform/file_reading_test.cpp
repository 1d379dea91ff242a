// What of a file the system holds in memory: the pages just written are there, the pages of a
// hole never written are not, counted from the offset asked for without a gap.
#include "platform/file_reading.h"
#include "tests/support/test_files.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#if !defined(_WIN32)
#include <fcntl.h>
#include <unistd.h>
#endif

namespace {

#if !defined(_WIN32)

// An open file descriptor, closed at the end of the test.
class Descriptor {
public:
    explicit Descriptor(int value) : value_(value) {}
    ~Descriptor() {
        if (value_ >= 0) close(value_);
    }
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    int get() const { return value_; }

private:
    int value_;
};

TEST(BytesInMemory, CountsTheWrittenBytesFromTheOffsetUpToTheFirstPageNotInMemory) {
    const auto page = static_cast<std::uint64_t>(sysconf(_SC_PAGESIZE));
    test_files::TempDir temp;
    const std::string path = temp / "written-then-a-hole";
    // Three pages written, then seven of a hole that was never written, so never read either.
    const Descriptor file(open(path.c_str(), O_RDWR | O_CREAT | O_TRUNC, 0600));
    ASSERT_GE(file.get(), 0);
    const std::string written(3 * page, 'w');
    ASSERT_EQ(write(file.get(), written.data(), written.size()), static_cast<ssize_t>(written.size()));
    ASSERT_EQ(ftruncate(file.get(), static_cast<off_t>(10 * page)), 0);

    const struct {
        const char* name;
        std::uint64_t offset, length, in_memory;
    } cases[] = {
        {"the whole file", 0, 10 * page, 3 * page},
        {"from inside the first page", 100, 10 * page, 3 * page - 100},
        {"less than is written", page, page + 7, page + 7},
        {"from inside the hole", 5 * page, page, 0},
        {"nothing", page, 0, 0},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(brenwick::BytesInMemory(file.get(), c.offset, c.length), c.in_memory) << c.name;
    }
    EXPECT_EQ(brenwick::BytesInMemory(-1, 0, page), 0u) << "no file";
}

#else

TEST(BytesInMemory, CountsTheWrittenBytesFromTheOffsetUpToTheFirstPageNotInMemory) {
    GTEST_SKIP() << "Windows does not say which part of a file it holds in memory";
}

#endif

}  // namespace
