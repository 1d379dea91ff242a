// The h5py example of docs/project-format.md, run as the page gives it, makes a project that
// the reader opens and whose matrices give every element the permittivity and density the
// example assigns.
#include "reader_test_support.h"
#include "tests/support/reference.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <sstream>

using namespace brenwick;

namespace reader_test {
namespace {

constexpr const char* kPython = "/usr/bin/python3";

// The body of the one ```python block of the format page.
std::string ExampleScript() {
    std::ifstream in(BRENWICK_FORMAT_DOC);
    EXPECT_TRUE(in) << BRENWICK_FORMAT_DOC;
    std::stringstream text;
    text << in.rdbuf();
    const std::string page = text.str();
    const std::string open = "```python\n";
    const std::size_t start = page.find(open);
    EXPECT_NE(start, std::string::npos) << "no python block";
    if (start == std::string::npos) return "";
    EXPECT_EQ(page.find(open, start + 1), std::string::npos) << "more than one python block";
    const std::size_t body = start + open.size();
    const std::size_t end = page.find("\n```", body);
    EXPECT_NE(end, std::string::npos);
    return page.substr(body, end - body + 1);
}

bool HaveH5py() {
    const std::string command = std::string(kPython) + " -c 'import h5py, numpy' >/dev/null 2>&1";
    return std::system(command.c_str()) == 0;
}

std::string Quoted(const std::filesystem::path& path) { return "'" + path.string() + "'"; }

TEST(ProjectExample, H5pyScriptOfTheFormatPageMakesAReadableProject) {
    const std::string script = ExampleScript();
    ASSERT_FALSE(script.empty());
#if defined(_WIN32)
    GTEST_SKIP() << "the example's Python script is run by the Linux suite";
#endif
    if (!HaveH5py()) GTEST_SKIP() << kPython << " has no h5py";

    test_files::TempDir dir;
    const std::filesystem::path script_path = (dir.path() / "example.py");
    WriteText(script_path.string(), script);
    const std::filesystem::path project_path = (dir.path() / "example.cst");
    const std::filesystem::path log_path = (dir.path() / "python.log");
    const std::string command = std::string(kPython) + " " + Quoted(script_path.string()) + " " +
                                Quoted(project_path.string()) + " >" + Quoted(log_path.string()) + " 2>&1";
    const int exit_status = std::system(command.c_str());
    ASSERT_EQ(exit_status, 0) << ReadText(log_path.string());

    OpenedProject project(project_path.string());
    ASSERT_EQ(project.status(), BRENWICK_READER_OK);
    int dims[3] = {0, 0, 0};
    ASSERT_EQ(CST_GetHexMeshInfo(project.handle(), dims), BRENWICK_READER_OK);
    const auto nx = static_cast<std::size_t>(dims[0]);
    const auto ny = static_cast<std::size_t>(dims[1]);
    const auto nz = static_cast<std::size_t>(dims[2]);
    ASSERT_GE(nx, 2u);
    ASSERT_GE(ny, 2u);
    ASSERT_GE(nz, 2u);
    GuardedArray<double> lines(nx + ny + nz, 0.0, -1.0);
    ASSERT_EQ(CST_GetHexMesh(project.handle(), lines.data()), BRENWICK_READER_OK);
    const std::vector<double> all = lines.Values();
    const std::vector<double> x(all.begin(), all.begin() + nx);
    const std::vector<double> y(all.begin() + nx, all.begin() + nx + ny);
    const std::vector<double> z(all.begin() + nx + ny, all.end());
    const std::size_t nodes = nx * ny * nz;

    // The potential: a real scalar field, 0 V at the bottom and -1000 V at the top, linear in z.
    int count = 0;
    int type = 0;
    ASSERT_EQ(CST_Get3DHexResultSize(project.handle(), kPotentialPath, 0, &count), BRENWICK_READER_OK);
    ASSERT_EQ(CST_Get3DHexResultInfo(project.handle(), kPotentialPath, 0, 1, 0, 0, &type, 0),
              BRENWICK_READER_OK);
    EXPECT_EQ(type, 4);
    ASSERT_EQ(static_cast<std::size_t>(count), nodes);
    GuardedArray<float> potential(nodes, 0.0f, -1.0f);
    ASSERT_EQ(CST_Get3DHexResult(project.handle(), kPotentialPath, 0, potential.data()),
              BRENWICK_READER_OK);
    for (std::size_t k = 0; k < nz; ++k) {
        const auto expected = static_cast<float>(-1000.0 * z[k] / z.back());
        EXPECT_FLOAT_EQ(potential[nx * ny * k + 3], expected) << "k=" << k;
    }

    GuardedArray<float> permittivity(3 * nodes, 0.0f, -1.0f);
    GuardedArray<float> density(3 * nodes, 0.0f, -1.0f);
    ASSERT_EQ(CST_GetMaterialMatrixHexMesh(project.handle(), 0, permittivity.data()),
              BRENWICK_READER_OK);
    ASSERT_EQ(CST_GetMaterialMatrixHexMesh(project.handle(), 3, density.data()), BRENWICK_READER_OK);

    // Every element's property, derived from the matrices as the page describes, is the
    // example's plate (below 2 mm) or gas value.
    const std::vector<float> eps = reference::ElementProperties(permittivity.Values(), x, y, z, 0);
    const std::vector<float> rho = reference::ElementProperties(density.Values(), x, y, z, 3);
    int plate_elements = 0;
    for (std::size_t k = 0; k + 1 < nz; ++k) {
        for (std::size_t j = 0; j + 1 < ny; ++j) {
            for (std::size_t i = 0; i + 1 < nx; ++i) {
                const std::size_t e = i + (nx - 1) * (j + (ny - 1) * k);
                const bool plate = z[k] + 0.5 * (z[k + 1] - z[k]) < 0.002;
                plate_elements += plate ? 1 : 0;
                EXPECT_NEAR(eps[e], plate ? 4.4 : 1.0, 1e-5) << i << "," << j << "," << k;
                EXPECT_NEAR(rho[e], plate ? 1850.0 : 1.66, plate ? 1e-2 : 1e-5) << i << "," << j << "," << k;
            }
        }
    }
    EXPECT_GT(plate_elements, 0);
    EXPECT_LT(plate_elements, static_cast<int>((nx - 1) * (ny - 1) * (nz - 1)));
}

}  // namespace
}  // namespace reader_test
