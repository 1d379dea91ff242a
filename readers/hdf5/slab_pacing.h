// How much of an array the built-in reader reads at a time: a slab sized by time, not by
// bytes. A read monitor can stop a read only between two slabs, so a slab should take about a
// twentieth of a second however fast the file comes in: tens of kilobytes from a slow USB disk
// or network share, megabytes from the page cache or a fast disk, where slabs that large cost
// nothing against one read.
#ifndef BRENWICK_SLAB_PACING_H
#define BRENWICK_SLAB_PACING_H

#include <algorithm>
#include <cmath>
#include <cstdint>

namespace brenwick::h5 {

inline constexpr double kSlabSeconds = 0.05;
// HDF5 reads smaller pieces of a dataset through a buffer of 64 KiB all the same.
inline constexpr std::uint64_t kSmallestSlabBytes = std::uint64_t{64} << 10;
inline constexpr std::uint64_t kLargestSlabBytes = std::uint64_t{8} << 20;

// The slab sizes of one read. The first is small, since nothing says yet how fast the file
// comes in; each later one is what the recent rate fills in kSlabSeconds. The rate is taken
// over about the last fifth of a second of reading, the older slabs weighing less, since a
// disk or a system's read limit lets single slabs through at once or holds them back, and
// since the file may change speed (part of it in the cache, the rest on the disk). A slab at
// most doubles the last, so that one slab let through at once cannot make the next one long.
class SlabPacing {
public:
    std::uint64_t Bytes() const { return next_; }

    // The slab just read had `bytes` and took `seconds`.
    void Took(std::uint64_t bytes, double seconds) {
        const double older = std::exp(-seconds / kRateSeconds);
        bytes_ = bytes_ * older + static_cast<double>(bytes);
        seconds_ = seconds_ * older + seconds;
        const std::uint64_t most = std::min(2 * std::max(bytes, kSmallestSlabBytes), kLargestSlabBytes);
        const double fitting = seconds_ > 0 ? bytes_ / seconds_ * kSlabSeconds : static_cast<double>(most);
        next_ = fitting >= static_cast<double>(most)
                    ? most
                    : std::max(static_cast<std::uint64_t>(fitting), kSmallestSlabBytes);
    }

private:
    // How far back the rate looks: a slab this long ago weighs 1/e of the last.
    static constexpr double kRateSeconds = 0.2;

    std::uint64_t next_ = kSmallestSlabBytes;
    double bytes_ = 0;    // read recently, each slab weighed by its age
    double seconds_ = 0;  // the time those took, weighed alike
};

}  // namespace brenwick::h5

#endif
