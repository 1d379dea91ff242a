// Export files for tests: what a file holds, the bytes the format's writer lays out for it,
// and the export of the demo detector.
#ifndef BRENWICK_TESTS_EFM_FILES_H
#define BRENWICK_TESTS_EFM_FILES_H

#include "efm/writer.h"

#include <array>
#include <string>
#include <vector>

namespace test_efm {

// The blocks of a file, owned.
struct MapContents {
    std::array<int, 3> dims{};
    std::vector<double> x, y, z;
    std::vector<float> nodes, properties;
    std::vector<unsigned char> bytes;
    std::vector<brenwick::efm::MaterialRecord> records;

    // The blocks, pointing into this object; with only_potentials those of a weighting field.
    brenwick::efm::Blocks Blocks(bool only_potentials = false) const;
};

// The whole file efm::WriteFile writes for these blocks.
std::string Bytes(const brenwick::efm::Blocks& blocks);
void Write(const std::string& path, const brenwick::efm::Blocks& blocks);

}  // namespace test_efm

#endif
