#include "potential_project.h"

#include "efm/reader.h"

#include <gtest/gtest.h>

#include <array>
#include <vector>

namespace {

constexpr int kLines = 3;
constexpr int kNodes = kLines * kLines * kLines;

// A value that tells every node apart.
float NodePotential(int node) { return -10.0f * static_cast<float>(node) + 0.25f; }

}  // namespace

fake_reader::Project PotentialProject() {
    fake_reader::Project project;
    project.dims = {kLines, kLines, kLines};
    project.lines = {0.0, 0.5, 1.5, -1.0, 0.0, 1.0, 2.0, 3.0, 5.0};
    fake_reader::Result potential;
    potential.tree_path = "2D/3D Results\\Potentials";
    potential.field_type = 4;
    for (int node = 0; node < kNodes; ++node) potential.values.push_back(NodePotential(node));
    project.results.push_back(potential);
    return project;
}

void ExpectPotentialsOnlyExport(const std::string& path) {
    using namespace brenwick::efm;
    FileReader file(path);
    EXPECT_EQ(file.MeshDims(), (std::array<int, 3>{kLines, kLines, kLines}));
    EXPECT_FALSE(file.header().HasMesh());
    EXPECT_EQ(file.size(), FileSize(file.header(), {}));
    std::vector<float> values(kNodes);
    file.ReadNodeValues(0, values);
    for (int node = 0; node < kNodes; ++node) EXPECT_EQ(values[node], NodePotential(node)) << "node " << node;
}
