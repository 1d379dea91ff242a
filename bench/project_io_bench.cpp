// Project files against plain file streams: writing a 256 x 256 x 256 project with its two
// material matrices, and reading one 200 MB matrix through the built-in reader, each beside the
// same bytes moved through std::ofstream and std::ifstream. A read in small pieces or a
// conversion per value shows as a gap between the reading pair; the writer builds the file in
// memory before it writes it, which the writing pair shows.
#include "reader_contract/result_reader.h"
#include "readers/hdf5/project_writer.h"

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <string>
#include <vector>

using namespace brenwick;

namespace {

constexpr std::size_t lines_per_axis = 256;
constexpr std::size_t nodes = lines_per_axis * lines_per_axis * lines_per_axis;

std::vector<float> Ramp(std::size_t count, float start, float step) {
    std::vector<float> values(count);
    for (std::size_t i = 0; i < count; ++i) values[i] = start + step * static_cast<float>(i % 1000003);
    return values;
}

ProjectContents LargeProject() {
    ProjectContents project;
    for (std::size_t i = 0; i < lines_per_axis; ++i) {
        project.x_lines.push_back(0.001 * static_cast<double>(i));
        project.y_lines.push_back(0.002 * static_cast<double>(i));
        project.z_lines.push_back(0.003 * static_cast<double>(i));
    }
    project.results.push_back({"potential", "2D/3D Results\\Potentials", 4, Ramp(nodes, 0.0f, 1.0f)});
    project.material_matrices[0] = Ramp(3 * nodes, 1.0f, 1.0f);
    project.material_matrices[3] = Ramp(3 * nodes, -1.0f, -0.5f);
    return project;
}

// The project, and where the benchmarks put their files (BRENWICK_BENCH_DIR, else the
// system's temporary directory).
struct Workspace {
    ProjectContents project = LargeProject();
    std::filesystem::path folder = std::getenv("BRENWICK_BENCH_DIR") != nullptr
                                       ? std::filesystem::path(std::getenv("BRENWICK_BENCH_DIR"))
                                       : std::filesystem::temp_directory_path();
    std::string project_path = (folder / "project-io-bench.cst").string();
    std::string plain_path = (folder / "project-io-bench.bin").string();
    std::int64_t matrix_bytes = static_cast<std::int64_t>(3 * nodes * sizeof(float));

    ~Workspace() {
        std::error_code ignored;
        std::filesystem::remove(project_path, ignored);
        std::filesystem::remove(plain_path, ignored);
    }
};

Workspace& SharedWorkspace() {
    static Workspace workspace;
    return workspace;
}

std::int64_t ProjectBytes(const ProjectContents& project) {
    std::size_t values = project.results.front().values.size();
    for (const auto& [code, matrix] : project.material_matrices) values += matrix.size();
    return static_cast<std::int64_t>(values * sizeof(float));
}

void BM_WriteProject(benchmark::State& state) {
    Workspace& work = SharedWorkspace();
    for (auto _ : state) WriteProjectFile(work.project_path, work.project);
    state.SetBytesProcessed(state.iterations() * ProjectBytes(work.project));
}

void BM_WritePlainStream(benchmark::State& state) {
    Workspace& work = SharedWorkspace();
    for (auto _ : state) {
        std::ofstream out(work.plain_path, std::ios::binary);
        out.write(reinterpret_cast<const char*>(work.project.results.front().values.data()),
                  static_cast<std::streamsize>(nodes * sizeof(float)));
        for (const auto& [code, matrix] : work.project.material_matrices) {
            out.write(reinterpret_cast<const char*>(matrix.data()), static_cast<std::streamsize>(matrix.size() * sizeof(float)));
        }
        if (!out.flush()) throw std::runtime_error("cannot write " + work.plain_path);
    }
    state.SetBytesProcessed(state.iterations() * ProjectBytes(work.project));
}

void BM_ReadMaterialMatrix(benchmark::State& state) {
    Workspace& work = SharedWorkspace();
    WriteProjectFile(work.project_path, work.project);
    std::vector<float> matrix(3 * nodes);
    for (auto _ : state) {
        CSTProjHandle handle{};
        if (CST_OpenProject(work.project_path.c_str(), &handle) != 0 ||
            CST_GetMaterialMatrixHexMesh(&handle, 0, matrix.data()) != 0 || CST_CloseProject(&handle) != 0) {
            throw std::runtime_error("cannot read " + work.project_path);
        }
        benchmark::DoNotOptimize(matrix.data());
    }
    if (matrix.back() != work.project.material_matrices[0].back()) throw std::runtime_error("the matrix read back differs");
    state.SetBytesProcessed(state.iterations() * work.matrix_bytes);
}

void BM_ReadPlainStream(benchmark::State& state) {
    Workspace& work = SharedWorkspace();
    {
        std::ofstream out(work.plain_path, std::ios::binary);
        const std::vector<float>& values = work.project.material_matrices[0];
        out.write(reinterpret_cast<const char*>(values.data()), work.matrix_bytes);
    }
    std::vector<float> matrix(3 * nodes);
    for (auto _ : state) {
        std::ifstream in(work.plain_path, std::ios::binary);
        if (!in.read(reinterpret_cast<char*>(matrix.data()), work.matrix_bytes)) {
            throw std::runtime_error("cannot read " + work.plain_path);
        }
        benchmark::DoNotOptimize(matrix.data());
    }
    state.SetBytesProcessed(state.iterations() * work.matrix_bytes);
}

}  // namespace

BENCHMARK(BM_WriteProject)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);
BENCHMARK(BM_WritePlainStream)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);
BENCHMARK(BM_ReadMaterialMatrix)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(5);
BENCHMARK(BM_ReadPlainStream)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(5);

BENCHMARK_MAIN();
