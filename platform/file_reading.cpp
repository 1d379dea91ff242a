#include "platform/file_reading.h"

#if !defined(_WIN32)
#include <fcntl.h>
#include <sys/mman.h>
#include <unistd.h>

#include <algorithm>
#include <vector>
#endif

namespace brenwick {

#if !defined(_WIN32)

namespace {

// A view of part of a file that is never touched, only asked which of its pages are in memory.
class FileView {
public:
    FileView(int descriptor, std::uint64_t offset, std::uint64_t length)
        : address_(mmap(nullptr, length, PROT_READ, MAP_SHARED, descriptor, static_cast<off_t>(offset))),
          length_(length) {}
    ~FileView() {
        if (address_ != MAP_FAILED) munmap(address_, length_);
    }
    FileView(const FileView&) = delete;
    FileView& operator=(const FileView&) = delete;

    // One entry per page, odd for a page in memory; empty when the system does not say.
    std::vector<unsigned char> PagesInMemory(std::uint64_t page) const {
        std::vector<unsigned char> pages((length_ + page - 1) / page);
        if (address_ == MAP_FAILED || mincore(address_, length_, pages.data()) != 0) return {};
        return pages;
    }

private:
    void* address_;
    std::uint64_t length_;
};

}  // namespace

void ReadWithoutReadAhead(int descriptor) { posix_fadvise(descriptor, 0, 0, POSIX_FADV_RANDOM); }

std::uint64_t BytesInMemory(int descriptor, std::uint64_t offset, std::uint64_t length) {
    const long page_size = sysconf(_SC_PAGESIZE);
    if (length == 0 || page_size <= 0) return 0;
    const auto page = static_cast<std::uint64_t>(page_size);
    const std::uint64_t start = offset / page * page;
    const std::vector<unsigned char> pages = FileView(descriptor, start, offset + length - start).PagesInMemory(page);
    const auto in_memory = static_cast<std::uint64_t>(
        std::find_if(pages.begin(), pages.end(), [](unsigned char entry) { return (entry & 1) == 0; }) - pages.begin());
    return std::min(length, std::max(start + in_memory * page, offset) - offset);
}

#else

void ReadWithoutReadAhead(int) {}

std::uint64_t BytesInMemory(int, std::uint64_t, std::uint64_t) { return 0; }

#endif

}  // namespace brenwick
