#include "potential_project.h"

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <vector>

namespace {

constexpr int kLines = 3;
constexpr int kNodes = kLines * kLines * kLines;
constexpr std::size_t kHeaderSize = 1000;

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
    std::ifstream file(path, std::ios::binary);
    ASSERT_TRUE(file) << "no export file at " << path;
    const std::string bytes((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    ASSERT_EQ(bytes.size(), kHeaderSize + kNodes * sizeof(float));
    EXPECT_EQ(bytes.substr(0, bytes.find('\n') + 1), "mesh_nx=3 mesh_ny=3 mesh_nz=3\n");
    for (int node = 0; node < kNodes; ++node) {
        float value = 0;
        std::memcpy(&value, bytes.data() + kHeaderSize + node * sizeof(float), sizeof value);
        EXPECT_EQ(value, NodePotential(node)) << "node " << node;
    }
}

std::string FreshTempPath(const std::string& name) {
    // One folder per test process, so that test runs side by side never share a file.
    static const std::filesystem::path folder = [] {
        std::filesystem::path made = std::filesystem::path(::testing::TempDir()) /
                                     ("brenwick-dialog-" + std::to_string(std::random_device{}()));
        std::filesystem::create_directories(made);
        return made;
    }();
    const std::filesystem::path path = folder / name;
    std::filesystem::remove(path);
    return path.string();
}
