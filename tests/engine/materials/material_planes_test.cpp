// The material matrix read plane by plane, for a reader that offers it: the same export as from
// the whole matrix, read in slabs of a few planes.
#include "engine/support/parallel.h"
#include "tests/engine/engine_test_support.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <set>

using namespace engine_test;

namespace {

// Five materials, matched by eps in permittivity mode and by rho_set in density mode.
const std::vector<Material> catalogue{{0, 1.0f, 1, 0, 0.5f, "gas"},
                                      {1, 2.5f, 1, 0, 2.0f, "kapton"},
                                      {2, 4.0f, 1, 0, 8.0f, "FR4"},
                                      {3, 6.5f, 1, 0, 30.0f, "ceramic"},
                                      {4, 9.0f, 1, 0, 120.0f, "glass"}};

// Lines whose spacing grows along the axis, so that every element has its own inv factors.
std::vector<double> GrowingLines(int count) {
    std::vector<double> lines;
    for (int line = 0; line < count; ++line) lines.push_back(line + 0.01 * line * line);
    return lines;
}

// A project whose element layers differ from plane to plane (and along x): the element (i, j, k)
// is of the catalogue material (i + 2k) mod 5.
fake_reader::Project LayeredProject(const std::array<int, 3>& dims, unsigned quantity) {
    fake_reader::Project project = MeshProject(GrowingLines(dims[0]), GrowingLines(dims[1]), GrowingLines(dims[2]));
    std::vector<float> properties;
    for (int k = 0; k + 1 < dims[2]; ++k) {
        for (int j = 0; j + 1 < dims[1]; ++j) {
            for (int i = 0; i + 1 < dims[0]; ++i) {
                const Material& material = catalogue[static_cast<std::size_t>(i + 2 * k) % catalogue.size()];
                properties.push_back(quantity == kQuantityPermittivity ? material.eps : material.rho_set);
            }
        }
    }
    project.matrices[static_cast<int>(quantity)] = MatrixForProperties(project, properties, quantity);
    return project;
}

TEST(MaterialPlanes, ReadPlaneByPlaneTheMatrixExportsWhatTheWholeMatrixExports) {
    struct Case {
        std::array<int, 3> dims;
        unsigned quantity;
        bool write_property;
        bool several_slabs;  // planes too large for one slab's window
    };
    const std::vector<Case> cases{
        {{5, 4, 3}, kQuantityPermittivity, true, false},  {{6, 5, 2}, kQuantityDensity, true, false},
        {{7, 3, 9}, kQuantityPermittivity, false, false}, {{500, 400, 5}, kQuantityPermittivity, true, true},
        {{400, 500, 6}, kQuantityDensity, false, true},
    };
    TempDir dir;
    WriteMaterialFile(dir / "m.xml", catalogue);
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.dims[0]) + " x " + std::to_string(c.dims[1]) + " x " + std::to_string(c.dims[2]) +
                     ", quantity " + std::to_string(c.quantity));
        fake_reader::Project project = LayeredProject(c.dims, c.quantity);
        std::vector<unsigned char> exports[2];
        for (const bool plane_reads : {false, true}) {
            project.plane_reads = plane_reads;
            const Engine engine = OpenEngine(project);
            engine->material_file = dir / "m.xml";
            engine->material_quantity = static_cast<int>(c.quantity);
            const std::string output = dir / "out.efm";
            engine->SaveBinaryFile(output, false, c.write_property);
            exports[plane_reads] = ReadBytes(output);
            EXPECT_EQ(fake_reader::CallCount(MatrixReadCall(!plane_reads)), 0) << "one way only";
            const int reads = fake_reader::CallCount(MatrixReadCall(plane_reads));
            EXPECT_GE(reads, 1);
            if (plane_reads) {
                EXPECT_EQ(reads > 1, c.several_slabs);
            }
            // Every material is there, in every layer of the mesh.
            const ExportSummary& summary = engine->LastExport();
            for (const Material& material : catalogue) {
                EXPECT_GT(summary.elements_per_byte[static_cast<std::size_t>(material.ID)], 0u) << material.description;
            }
            EXPECT_TRUE(summary.warnings.empty()) << summary.warnings.front();
        }
        EXPECT_EQ(exports[true], exports[false]);
    }
}

// The slabs are shared between threads: a read that fails on one ends the others' work too,
// and the export fails as for a failed read of the whole matrix.
TEST(MaterialPlanes, AFailedSlabEndsTheWholeMatrixRead) {
    TempDir dir;
    WriteMaterialFile(dir / "m.xml", catalogue);
    fake_reader::Project project = LayeredProject({500, 400, 9}, kQuantityPermittivity);  // a plane a slab
    project.plane_reads = true;
    project.matrix_status = 7;
    project.failing_plane = 4;
    SetWorkerCount(2);
    const Engine engine = OpenEngine(project);
    engine->material_file = dir / "m.xml";
    const std::string output = dir / "out.efm";
    try {
        engine->SaveBinaryFile(output, false, true);
        ADD_FAILURE() << "the export went through";
    } catch (const ProjectError& error) {
        EXPECT_STREQ(error.what(), "Failed to read material properties from CST.");
    }
    SetWorkerCount(0);
    EXPECT_LT(fake_reader::CallCount(MatrixReadCall(true)), 8) << "slabs were read after the failure";
    EXPECT_FALSE(std::filesystem::exists(output));
}

}  // namespace
