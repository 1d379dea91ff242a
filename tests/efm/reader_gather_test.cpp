// Gathering scattered values of a block: each value as a read of its own would give it, in the
// order asked, whatever the order, the repeats and the distances in the file.
#include "efm/reader.h"
#include "tests/support/efm_files.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <sstream>
#include <stdexcept>
#include <vector>

using namespace brenwick;

namespace {

// A 64 x 40 x 40 map (400 KiB of node values, so that far-apart values fall into different
// pieces) whose node n holds n and whose element e has the byte e % 251.
class Gather : public testing::Test {
protected:
    Gather() {
        file.str(test_efm::Bytes(map.Blocks()));
        size = file.str().size();
    }

    test_efm::MapContents map = test_efm::NumberedMap({64, 40, 40});
    std::istringstream file;
    std::uint64_t size = 0;
};

TEST_F(Gather, DeliversEachValueInTheOrderAskedWhateverTheOrderRepeatsAndDistances) {
    efm::Reader reader(file, size);
    // Unsorted, repeated, neighbours, a far jump, both ends of the block.
    const std::vector<std::uint64_t> indices{102399, 5, 6, 5, 70000, 0, 4, 100000, 63, 64, 102399, 30000};
    std::vector<float> values(indices.size());
    reader.GatherNodeValues(indices, values);
    for (std::size_t n = 0; n < indices.size(); ++n) EXPECT_EQ(values[n], static_cast<float>(indices[n])) << n;

    const std::vector<std::uint64_t> elements{95000, 1, 250, 251, 1, 40000};
    std::vector<unsigned char> materials(elements.size());
    reader.GatherElementMaterials(elements, materials);
    for (std::size_t n = 0; n < elements.size(); ++n) EXPECT_EQ(materials[n], elements[n] % 251) << n;
}

TEST_F(Gather, RefusesIndicesOutsideTheBlockAndMismatchedOutputs) {
    efm::Reader reader(file, size);
    std::vector<float> values(2);
    EXPECT_THROW(reader.GatherNodeValues(std::vector<std::uint64_t>{3, 102400}, values), efm::FormatError);
    std::vector<unsigned char> materials(1);
    EXPECT_THROW(reader.GatherElementMaterials(std::vector<std::uint64_t>{map.bytes.size()}, materials),
                 efm::FormatError);
    EXPECT_THROW(reader.GatherNodeValues(std::vector<std::uint64_t>{1, 2, 3}, values), std::invalid_argument);

    std::vector<float> none;
    EXPECT_NO_THROW(reader.GatherNodeValues({}, none));
}

}  // namespace
