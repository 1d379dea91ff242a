// The slab sizes of the built-in reader's reads, against disks simulated by how long a slab
// takes: once settled, a slab takes at most a tenth of a second at every rate down to 1 MiB/s,
// and no needlessly small part of that where the file comes faster.
#include "readers/hdf5/slab_pacing.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <numeric>
#include <optional>
#include <vector>

namespace brenwick::h5 {
namespace {

constexpr double kMiB = 1 << 20;
constexpr double kLongestSettledSlab = 0.1;
constexpr int kSlabs = 60;

// The seconds the slab with this index and size takes.
using Disk = std::function<double(int index, std::uint64_t bytes)>;

Disk Steady(double bytes_per_second) {
    return [=](int, std::uint64_t bytes) { return static_cast<double>(bytes) / bytes_per_second; };
}

// A read limit that lets every third slab through at once and holds the others back.
Disk Bursts(double bytes_per_second) {
    return [=](int index, std::uint64_t bytes) {
        return index % 3 == 2 ? 0.0 : static_cast<double>(bytes) / bytes_per_second;
    };
}

// One rate up to slab `change`, another from there on.
Disk Changing(int change, double before, double after) {
    return
        [=](int index, std::uint64_t bytes) { return static_cast<double>(bytes) / (index < change ? before : after); };
}

struct Slab {
    std::uint64_t bytes;
    double seconds;
};

std::vector<Slab> Read(const Disk& disk) {
    SlabPacing pacing;
    std::vector<Slab> slabs;
    for (int index = 0; index < kSlabs; ++index) {
        const std::uint64_t bytes = pacing.Bytes();
        slabs.push_back({bytes, disk(index, bytes)});
        pacing.Took(bytes, slabs.back().seconds);
    }
    return slabs;
}

TEST(SlabPacing, SlabsTakeAboutTheAimedTimeAtEveryRate) {
    const struct {
        const char* name;
        Disk disk;
        int settled;  // the first slab from which the rate is known
        // Where the file comes fast enough: the slab from which on all are the largest.
        std::optional<int> largest_by;
    } disks[] = {
        // Doubling from the smallest slab to the largest.
        {"page cache", Steady(5 * 1024 * kMiB), 0, 7},
        {"fast disk", Steady(500 * kMiB), 0, 7},
        {"USB disk", Steady(30 * kMiB), 6, std::nullopt},
        {"network share", Steady(4 * kMiB), 3, std::nullopt},
        {"slowest disk", Steady(kMiB), 0, std::nullopt},
        {"slowest disk behind a bursting limit", Bursts(kMiB), 0, std::nullopt},
        {"network share behind a bursting limit", Bursts(4 * kMiB), 6, std::nullopt},
        // The first slab past the cache is read at the cache's pace; the next one no more.
        {"cached part, then the slowest disk", Changing(20, 5 * 1024 * kMiB, kMiB), 21, std::nullopt},
        // The slow past weighs until as many bytes have come fast; slabs that small cost
        // nothing from the cache.
        {"slowest disk, then a cached part", Changing(20, kMiB, 5 * 1024 * kMiB), 0, 20 + 32},
    };
    for (const auto& disk : disks) {
        SCOPED_TRACE(disk.name);
        const std::vector<Slab> slabs = Read(disk.disk);

        EXPECT_EQ(slabs.front().bytes, kSmallestSlabBytes);
        for (std::size_t i = 0; i < slabs.size(); ++i) {
            EXPECT_GE(slabs[i].bytes, kSmallestSlabBytes) << "slab " << i;
            EXPECT_LE(slabs[i].bytes, kLargestSlabBytes) << "slab " << i;
            if (i > 0) {
                EXPECT_LE(slabs[i].bytes, 2 * slabs[i - 1].bytes) << "slab " << i;
            }
        }

        const std::vector<Slab> settled(slabs.begin() + disk.settled, slabs.end());
        for (std::size_t i = 0; i < settled.size(); ++i) {
            EXPECT_LE(settled[i].seconds, kLongestSettledSlab) << "slab " << disk.settled + i;
        }
        if (disk.largest_by) {
            for (std::size_t i = *disk.largest_by; i < slabs.size(); ++i) {
                EXPECT_EQ(slabs[i].bytes, kLargestSlabBytes) << "slab " << i;
            }
        } else {
            // Where the rate limits the slabs, they are not needlessly small.
            const double seconds = std::accumulate(settled.begin(), settled.end(), 0.0,
                                                   [](double sum, const Slab& slab) { return sum + slab.seconds; });
            EXPECT_GE(seconds / static_cast<double>(settled.size()), kSlabSeconds / 2);
        }
    }
}

}  // namespace
}  // namespace brenwick::h5
