// Element properties and material assignment on a large non-uniform mesh, per thread count.
#include "efm/grid.h"
#include "engine/materials/element_properties.h"
#include "engine/materials/material_assignment.h"
#include "engine/project/mesh_geometry.h"
#include "engine/support/parallel.h"

#include <benchmark/benchmark.h>

#include <cmath>
#include <random>
#include <vector>

using namespace brenwick;

namespace {

constexpr int lines_per_axis = 256;

std::vector<double> NonUniformLines(int count) {
    std::vector<double> lines(static_cast<std::size_t>(count));
    for (int i = 0; i < count; ++i) lines[static_cast<std::size_t>(i)] = i + 0.3 * std::sin(0.1 * i);
    return lines;
}

struct Mesh {
    std::array<int, 3> dims{lines_per_axis, lines_per_axis, lines_per_axis};
    std::vector<double> x = NonUniformLines(lines_per_axis), y = NonUniformLines(lines_per_axis),
                        z = NonUniformLines(lines_per_axis);
    std::vector<float> matrix;
    std::vector<float> properties;
    std::vector<Material> materials;

    Mesh() {
        std::mt19937 random(1);
        std::uniform_real_distribution<float> value(1e9f, 3e11f);
        matrix.resize(3 * efm::NodeCount(dims));
        for (float& m : matrix) m = value(random);
        properties.resize(efm::ElementCount(dims));
        std::uniform_real_distribution<float> property(0.0f, 12.0f);
        for (float& p : properties) p = property(random);
        const float eps[6] = {1.0f, 2.2f, 3.5f, 4.4f, 6.0f, 9.8f};
        for (int m = 0; m < 6; ++m) materials.push_back({static_cast<float>(m), eps[m], 1, 1, eps[m] * 1000, "m"});
    }
};

Mesh& SharedMesh() {
    static Mesh mesh;
    return mesh;
}

void BM_ElementProperties(benchmark::State& state) {
    Mesh& mesh = SharedMesh();
    SetWorkerCount(static_cast<unsigned>(state.range(0)));
    std::vector<float> out(efm::ElementCount(mesh.dims));
    for (auto _ : state) {
        ComputeElementProperties(mesh.matrix.data(), mesh.dims, AxisLines{mesh.x, mesh.y, mesh.z},
                                 static_cast<unsigned>(state.range(1)), out.data());
        benchmark::DoNotOptimize(out.data());
    }
    state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations() * out.size()));
    SetWorkerCount(0);
}

void BM_AssignMaterials(benchmark::State& state) {
    Mesh& mesh = SharedMesh();
    SetWorkerCount(static_cast<unsigned>(state.range(0)));
    std::vector<unsigned char> out(mesh.properties.size());
    for (auto _ : state) {
        AssignMaterials(mesh.properties, mesh.materials, 0, out);
        benchmark::DoNotOptimize(out.data());
    }
    state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations() * mesh.properties.size()));
    SetWorkerCount(0);
}

}  // namespace

BENCHMARK(BM_ElementProperties)
    ->ArgsProduct({{1, 2}, {0, 3}})
    ->ArgNames({"threads", "quantity"})
    ->UseRealTime()
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_AssignMaterials)->Arg(1)->Arg(2)->ArgName("threads")->UseRealTime()->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
