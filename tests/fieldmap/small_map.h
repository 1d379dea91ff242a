// A small export file for the fieldmap tests: a non-uniform 4 x 3 x 3 mesh whose node values
// follow no pattern, elements cycling through the bytes 0, 1 and 2 (the last names no record),
// and two records, read from memory.
#ifndef BRENWICK_TESTS_SMALL_MAP_H
#define BRENWICK_TESTS_SMALL_MAP_H

#include "efm/reader.h"
#include "tests/support/efm_files.h"

#include <array>
#include <cmath>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

namespace small_map {

using namespace brenwick;

struct SmallMap : test_efm::MapContents {
    SmallMap() {
        dims = {4, 3, 3};
        x = {0, 1, 3, 4};
        y = {-1, 0, 2};
        z = {0, 0.5, 2};
        nodes.resize(36);
        for (std::size_t n = 0; n < nodes.size(); ++n) nodes[n] = static_cast<float>(100 * std::sin(1.7 * n) + n);
        properties = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12};
        bytes.resize(12);
        for (std::size_t e = 0; e < bytes.size(); ++e) bytes[e] = static_cast<unsigned char>(e % 3);
        records = {{0, "gas", 1, 1, 0.002f}, {7, "FR4", 4.4f, 1, 1.85f}};
    }

    std::size_t Node(std::size_t i, std::size_t j, std::size_t k) const { return i + 4 * (j + 3 * k); }
    std::size_t Element(std::size_t i, std::size_t j, std::size_t k) const { return i + 3 * (j + 2 * k); }
};

// Calls f(i, j, k) for every index of a grid of these counts, in file order.
template <typename F>
void ForEachIndex(std::array<std::size_t, 3> counts, F f) {
    for (std::size_t k = 0; k < counts[2]; ++k) {
        for (std::size_t j = 0; j < counts[1]; ++j) {
            for (std::size_t i = 0; i < counts[0]; ++i) f(i, j, k);
        }
    }
}

// A reader over the file of some blocks, held in memory.
class MemoryFile {
public:
    explicit MemoryFile(const efm::Blocks& blocks) : bytes_(test_efm::Bytes(blocks)), stream_(bytes_) {}
    efm::Reader& reader() {
        if (!reader_) reader_ = std::make_unique<efm::Reader>(stream_, bytes_.size());
        return *reader_;
    }

private:
    std::string bytes_;
    std::istringstream stream_;
    std::unique_ptr<efm::Reader> reader_;
};

}  // namespace small_map

#endif
