// Garfield++'s limits: the drift gas it finds or misses in crafted files, and the file sizes
// it cannot hold.
#include "efm/garfield_limits.h"
#include "efm/inspection.h"
#include "efm/writer.h"
#include "tests/support/efm_files.h"

#include <gtest/gtest.h>

#include <sstream>
#include <utility>

namespace {

using namespace brenwick::efm;

// The warnings about the drift gas that inspect gives for a 2 x 2 x 2 mesh (one element, of
// material byte 0) with these records, written and read in memory.
std::vector<std::string> GasWarnings(const std::vector<MaterialRecord>& records, bool only_potentials) {
    const std::vector<double> lines{0, 1};
    const std::vector<float> nodes(8, 0.0f);
    const std::vector<unsigned char> element_materials{0};
    Blocks blocks;
    blocks.mesh_dims = {2, 2, 2};
    blocks.node_values = nodes;
    if (!only_potentials) {
        blocks.x_lines = blocks.y_lines = blocks.z_lines = lines;
        blocks.element_materials = element_materials;
        blocks.materials = records;
    }
    const std::string bytes = test_efm::Bytes(blocks);
    std::istringstream in(bytes);
    const Report report = Inspect(in, bytes.size());
    EXPECT_TRUE(report.Valid());
    std::vector<std::string> about_gas;
    for (const std::string& warning : report.warnings) {
        if (warning.find("\"gas\"") != std::string::npos) about_gas.push_back(warning);
    }
    return about_gas;
}

struct GasCase {
    const char* what;
    std::vector<MaterialRecord> records;
    bool only_potentials = false;
    std::vector<std::string> warnings;  // how each warning about the gas begins, in order
};

TEST(GarfieldDriftGas, CraftedFilesGetTheWarningsGarfieldWouldEarn) {
    const MaterialRecord fr4{1, "FR4", 4.4f, 1, 1.85f};
    const std::string no_gas = "no material record is described exactly \"gas\" (lower case): Garfield++ drifts";
    const std::vector<GasCase> cases{
        {"gas with eps 1", {{0, "gas", 1, 1, 0}, fr4}, false, {}},
        {"eps just inside the tolerance", {{0, "gas", 1.00009f, 1, 0}, fr4}, false, {}},
        {"eps just below 1, inside", {{0, "gas", 0.99991f, 1, 0}, fr4}, false, {}},
        {"eps just beyond the tolerance",
         {{0, "gas", 1.00011f, 1, 0}, fr4},
         false,
         {"material record 0 is described \"gas\" but has eps = 1.00011: Garfield++'s SetGas gives the gas only "
          "to materials with eps within 1e-4 of 1; call SetMedium(0, gas)"}},
        {"a second gas far from 1",
         {{0, "gas", 1, 1, 0}, {1, "gas", 1.5f, 1, 0}},
         false,
         {"material record 1 is described \"gas\" but has eps = 1.5:"}},
        {"Gas in capitals", {{0, "Gas", 1, 1, 0}, fr4}, false, {no_gas}},
        {"gas with a trailing space", {{0, "gas ", 1, 1, 0}, fr4}, false, {no_gas}},
        {"potentials only: no materials at all", {}, true, {}},
    };
    for (const GasCase& c : cases) {
        SCOPED_TRACE(c.what);
        const std::vector<std::string> warnings = GasWarnings(c.records, c.only_potentials);
        ASSERT_EQ(warnings.size(), c.warnings.size()) << (warnings.empty() ? "" : warnings.front());
        for (std::size_t w = 0; w < warnings.size(); ++w) EXPECT_EQ(warnings[w].rfind(c.warnings[w], 0), 0u) << warnings[w];
    }
}

TEST(GarfieldFileSize, FilesOfTwoGibibytesOrMoreAreMisread) {
    const std::vector<std::pair<std::uint64_t, bool>> sizes{
        {1000, false}, {kGarfieldSizeLimit - 1, false}, {kGarfieldSizeLimit, true}, {(std::uint64_t{1} << 32) + 1000, true}};
    for (const auto& [size, misread] : sizes) EXPECT_EQ(GarfieldMisreadsSize(size), misread) << size;

    MapFacts weighting_field;  // potentials only: the limit holds for every field map
    weighting_field.file_size = kGarfieldSizeLimit;
    const std::vector<std::string> warnings = GarfieldWarnings(weighting_field);
    ASSERT_EQ(warnings.size(), 1u);
    EXPECT_EQ(warnings[0].rfind("the file has 2147483648 bytes, 2 GiB or more: Garfield++ holds the size of a field "
                                "map in a 32-bit int",
                                0),
              0u)
        << warnings[0];
}

}  // namespace
