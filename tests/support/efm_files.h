// Export files for tests: what a file holds, the bytes the format's writer lays out for it,
// and what the format's reader finds in a file.
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

// A 3 x 2 x 2 mesh of two elements, the first of gas, the second of FR4, with node values 0
// to -11 and element properties 1 and 4.5.
MapContents TwoElementMap();

// A map of dims[0] x dims[1] x dims[2] mesh lines at 0, 1, 2, ... whose node n holds n and whose
// element e has the byte e % 251, with one record.
MapContents NumberedMap(const std::array<int, 3>& dims);

// The whole file efm::WriteFile writes for these blocks.
std::string Bytes(const brenwick::efm::Blocks& blocks);
void Write(const std::string& path, const brenwick::efm::Blocks& blocks);

// Every block of the file at path, read with efm::FileReader. Throws efm::FormatError for a
// malformed file.
MapContents Read(const std::string& path);

}  // namespace test_efm

#endif
