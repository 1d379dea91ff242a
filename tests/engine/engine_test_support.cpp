#include "engine_test_support.h"

#include "engine/materials/material_data.h"
#include "engine/project/open_project.h"
#include "engine/support/parallel.h"
#include "tests/support/reference.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdio>
#include <cstdlib>
#include <stdexcept>
#include <utility>

namespace engine_test {

std::vector<double> UniformLines(int count, double spacing) {
    std::vector<double> lines(static_cast<std::size_t>(count));
    for (int index = 0; index < count; ++index) lines[static_cast<std::size_t>(index)] = index * spacing;
    return lines;
}

std::string MatrixReadCall(bool plane_reads) {
    return plane_reads ? "Brenwick_GetMaterialMatrixPlanes" : "CST_GetMaterialMatrixHexMesh";
}

std::vector<float> PotentialValues(std::size_t nodes) {
    std::vector<float> values(nodes);
    for (std::size_t n = 0; n < nodes; ++n) values[n] = 0.25f * static_cast<float>(n) - 3.0f;
    return values;
}

fake_reader::Project MeshProject(const std::vector<double>& x, const std::vector<double>& y,
                                 const std::vector<double>& z) {
    fake_reader::Project project;
    project.dims = {static_cast<int>(x.size()), static_cast<int>(y.size()), static_cast<int>(z.size())};
    project.lines = x;
    project.lines.insert(project.lines.end(), y.begin(), y.end());
    project.lines.insert(project.lines.end(), z.begin(), z.end());
    project.results.push_back(
        {default_potential, BRENWICK_REAL_SCALAR_FIELD, PotentialValues(x.size() * y.size() * z.size())});
    return project;
}

fake_reader::Project UniformProject(int nx, int ny, int nz, double spacing) {
    return MeshProject(UniformLines(nx, spacing), UniformLines(ny, spacing), UniformLines(nz, spacing));
}

std::vector<float> MatrixForProperties(const fake_reader::Project& project, const std::vector<float>& properties,
                                       unsigned quantity) {
    const auto nx = static_cast<std::size_t>(project.dims[0]);
    const auto ny = static_cast<std::size_t>(project.dims[1]);
    const auto nz = static_cast<std::size_t>(project.dims[2]);
    const auto line = [&](std::size_t index) { return project.lines.begin() + static_cast<long>(index); };
    const std::vector<double> x(line(0), line(nx)), y(line(nx), line(nx + ny)), z(line(nx + ny), project.lines.end());
    const std::size_t nodes = nx * ny * nz;
    // Nodes that are no element's lower corner get a value that would show up if used.
    std::vector<float> matrix(3 * nodes, 1e30f);
    for (std::size_t k = 0; k + 1 < nz; ++k) {
        for (std::size_t j = 0; j + 1 < ny; ++j) {
            for (std::size_t i = 0; i + 1 < nx; ++i) {
                const std::array<double, 3> inv = reference::InvFactors(x, y, z, i, j, k, quantity);
                const double property = properties[i + (nx - 1) * (j + (ny - 1) * k)];
                const std::size_t node = i + nx * (j + ny * k);
                for (std::size_t c = 0; c < 3; ++c) {
                    matrix[node + c * nodes] = reference::MatrixValue(property, inv[c], quantity);
                }
            }
        }
    }
    return matrix;
}

LogSink LogLines::Sink() const {
    return [lines = lines_](const std::string& line) { lines->push_back(line); };
}

std::vector<std::string> LogLines::Take() { return std::exchange(*lines_, {}); }

LogSink Discard() {
    return [](const std::string&) {};
}

Engine OpenEngine(const fake_reader::Project& project, const std::string& project_path, LogSink log) {
    fake_reader::Install(project);
    ReadoutContext context;
    context.log = std::move(log);
    context.reader = fake_reader::Reader();
    return std::make_unique<CST_Readout>(project_path, std::move(context));
}

std::vector<float> ComputedProperties(const fake_reader::Project& project, unsigned quantity, LogSink log) {
    fake_reader::Install(project);
    OpenProject opened("project.cst", fake_reader::Reader(), Discard());
    MaterialData data;
    data.ComputeProperties(opened, quantity, log, {}, {}, {});
    const std::span<const float> properties = data.ElementProperties();
    return {properties.begin(), properties.end()};
}

test_efm::MapContents Exported(CST_Readout& engine, bool only_potentials, bool write_property) {
    const TempDir dir;
    const std::string output = dir / "export.efm";
    const std::string failure = FailureOf([&] { engine.SaveBinaryFile(output, only_potentials, write_property); });
    if (!failure.empty()) {
        ADD_FAILURE() << "the export failed: " << failure;
        return {};
    }
    return test_efm::Read(output);
}

namespace {

// Whether `token` occurs in `text` without a character of `part_of` directly before or after it.
bool NamesToken(const std::string& text, const std::string& token, const std::function<bool(char)>& part_of) {
    for (std::size_t at = text.find(token); at != std::string::npos; at = text.find(token, at + 1)) {
        const bool open_before = at == 0 || !part_of(text[at - 1]);
        const bool open_after = at + token.size() == text.size() || !part_of(text[at + token.size()]);
        if (open_before && open_after) return true;
    }
    return false;
}

}  // namespace

bool NamesNumber(const std::string& text, long long number) {
    return NamesToken(text, std::to_string(number), [](char c) { return (c >= '0' && c <= '9') || c == '-'; });
}

bool NamesWord(const std::string& text, const std::string& word) {
    return NamesToken(text, word, [](char c) {
        return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_';
    });
}

std::string StdoutOf(const std::function<void()>& action) {
    testing::internal::CaptureStdout();
    try {
        action();
    } catch (...) {
        testing::internal::GetCapturedStdout();
        throw;
    }
    return testing::internal::GetCapturedStdout();
}

WorkerCountScope::WorkerCountScope(unsigned count) { SetWorkerCount(count); }
WorkerCountScope::~WorkerCountScope() { SetWorkerCount(0); }

}  // namespace engine_test
