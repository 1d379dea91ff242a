// The material property of every element, derived from the project's material matrix.
#include "engine/materials/element_properties.h"
#include "engine/readout.h"
#include "engine/support/parallel.h"
#include "tests/engine/engine_test_support.h"
#include "tests/support/reference.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <random>
#include <set>

using namespace brenwick;

using namespace engine_test;

namespace {

constexpr double kSpacing = 0.25;  // line spacing of the uniform test meshes

struct Inv {
    double x, y, z;
};

Inv InvOf(const CST_Readout& engine, int i, int j, int k, bool dual_over_primary) {
    Inv inv{0, 0, 0};
    engine.CalculateInv(i, j, k, inv.x, inv.y, inv.z, dual_over_primary);
    return inv;
}

void ExpectInv(const Inv& inv, double x, double y, double z) {
    EXPECT_EQ(inv.x, x);
    EXPECT_EQ(inv.y, y);
    EXPECT_EQ(inv.z, z);
}

std::string ExportFailure(CST_Readout& engine, const std::string& output, bool write_property = false) {
    return FailureOf([&] { engine.SaveBinaryFile(output, false, write_property); });
}

// A matrix for a uniform 4 x 4 x 4 mesh whose node (1, 1, 1) holds m and every other node 1.
std::vector<float> MatrixWithNode111(float mx, float my, float mz) {
    std::vector<float> matrix(3 * 64, 1.0f);
    const std::size_t s = 1 + 4 * (1 + 4 * 1);
    matrix[s] = mx;
    matrix[s + 64] = my;
    matrix[s + 128] = mz;
    return matrix;
}

constexpr std::size_t kElement111 = 1 + 3 * (1 + 3 * 1);

}  // namespace

TEST(InvFactors, UniformMeshInteriorElementHasTheSpacingEverywhere) {
    const auto engine = OpenEngine(UniformProject(4, 4, 4, kSpacing));
    ExpectInv(InvOf(*engine, 1, 1, 1, true), kSpacing, kSpacing, kSpacing);
    ExpectInv(InvOf(*engine, 1, 1, 1, false), kSpacing, kSpacing, kSpacing);
    ExpectInv(InvOf(*engine, 2, 1, 2, true), kSpacing, kSpacing, kSpacing);
}

TEST(InvFactors, TheFirstCellOfAnAxisHasHalfTheDualLength) {
    const auto engine = OpenEngine(UniformProject(4, 4, 4, kSpacing));
    // i = 0: hx = d/2.
    ExpectInv(InvOf(*engine, 0, 1, 1, true), kSpacing, kSpacing / 2, kSpacing / 2);
    ExpectInv(InvOf(*engine, 0, 1, 1, false), 2 * kSpacing, kSpacing, kSpacing);
    // j = 0 and k = 0 likewise on their axes.
    ExpectInv(InvOf(*engine, 1, 0, 1, true), kSpacing / 2, kSpacing, kSpacing / 2);
    ExpectInv(InvOf(*engine, 1, 0, 1, false), kSpacing, 2 * kSpacing, kSpacing);
    ExpectInv(InvOf(*engine, 2, 2, 0, true), kSpacing / 2, kSpacing / 2, kSpacing);
    ExpectInv(InvOf(*engine, 2, 2, 0, false), kSpacing, kSpacing, 2 * kSpacing);
}

TEST(InvFactors, ANonUniformMeshUsesHalfTheSumOfTheTwoEdgesAsDualLength) {
    // Element (2, 1, 1): dx = 4, hx = (2 + 4)/2 = 3; dy = 1.5, hy = (0.5 + 1.5)/2 = 1;
    // dz = 0.5, hz = (2 + 0.5)/2 = 1.25.
    const auto engine = OpenEngine(MeshProject({0, 1, 3, 7}, {0, 0.5, 2}, {-1, 1, 1.5}));
    ExpectInv(InvOf(*engine, 2, 1, 1, true), 1.25 * 1 / 4, 1.25 * 3 / 1.5, 1.0 * 3 / 0.5);
    ExpectInv(InvOf(*engine, 2, 1, 1, false), 0.5 * 1.5 / 3, 0.5 * 4 / 1, 1.5 * 4 / 1.25);
    // Element (1, 0, 0): hx = (1 + 2)/2, hy = 0.5/2, hz = 2/2.
    ExpectInv(InvOf(*engine, 1, 0, 0, true), 1.0 * 0.25 / 2, 1.0 * 1.5 / 0.5, 0.25 * 1.5 / 2);
}

// An index at the last line has its own text; any other index outside the elements is out of
// range.
TEST(InvFactors, IndicesOutsideTheElementsAreRefused) {
    const auto engine = OpenEngine(UniformProject(4, 5, 6, kSpacing));
    const auto at_last_line = [](int i, int j, int k) {
        return "You asked to calculate inv for an index, which is to high!\n i=" + std::to_string(i) +
               ", j=" + std::to_string(j) + ", k=" + std::to_string(k) +
               "\n This makes no sense since you only need inv to calculate element properties!\n So give the "
               "element indexes at lower element boundary.";
    };
    const std::string out_of_range = "invalid vector<T> subscript";
    struct Case {
        std::array<int, 3> index;
        std::string text;
    };
    const std::vector<Case> cases{
        {{3, 1, 2}, at_last_line(3, 1, 2)}, {{0, 4, 0}, at_last_line(0, 4, 0)}, {{2, 3, 5}, at_last_line(2, 3, 5)},
        {{-1, 0, 0}, out_of_range},         {{0, -1, 0}, out_of_range},         {{0, 0, -7}, out_of_range},
        {{4, 0, 0}, out_of_range},          {{0, 9, 0}, out_of_range},          {{1, 1, 6}, out_of_range}};
    for (const Case& c : cases) {
        const auto [i, j, k] = c.index;
        for (const bool guard : {true, false}) {
            EXPECT_EQ(FailureOf([&] { InvOf(*engine, i, j, k, guard); }), c.text) << i << ", " << j << ", " << k;
        }
    }
}

TEST(NodeValues, ASuperindexOutsideTheNodesGivesTheGuardText) {
    const auto engine = OpenEngine(UniformProject(4, 4, 4, kSpacing));
    const std::vector<float> matrix(3 * 64, 1.0f);
    for (const int superindex : {-1, 64, std::numeric_limits<int>::min()}) {
        EXPECT_EQ(FailureOf([&] { engine->GetMaterialFromIndex(matrix.data(), 1, 2, 3, superindex, 0); }),
                  "In CST_Readout::GetMaterialFromIndex the superindex is greater #nodes or negative!\n(i = 1,j = 2,k "
                  "=  3)")
            << "superindex " << superindex;
    }
}

TEST(NodeValues, EachQuantityCodeUsesItsConversionAndVariant) {
    // Element (0, 1, 1) of a uniform mesh: codes 0 and 2 use the dual-over-primary factors,
    // 1 and 3 the primary-over-dual ones.
    const std::array<double, 3> dual{kSpacing, kSpacing / 2, kSpacing / 2}, primary{2 * kSpacing, kSpacing, kSpacing};
    const std::array<std::array<double, 3>, 4> inv_of_code{dual, primary, dual, primary};
    const auto engine = OpenEngine(UniformProject(4, 4, 4, kSpacing));
    const std::size_t s = 0 + 4 * (1 + 4 * 1);
    for (const std::array<float, 3> m : {std::array{3.0e11f, -7.5e10f, 1.25f}, std::array{3.0f, 5.0f, -0.5f}}) {
        std::vector<float> matrix(3 * 64, 0.0f);
        for (std::size_t c = 0; c < 3; ++c) matrix[s + 64 * c] = m[c];
        for (unsigned code = 0; code < 4; ++code) {
            const auto values = engine->GetMaterialFromIndex(matrix.data(), 0, 1, 1, static_cast<int>(s), code);
            for (std::size_t c = 0; c < 3; ++c) {
                EXPECT_EQ(values[c], reference::NodeValue(m[c], inv_of_code[code][c], code))
                    << "code " << code << ", component " << c << " of " << m[c];
            }
        }
    }
}

TEST(NodeValues, AnUnsupportedCodeGivesMinus99999AndOneLine) {
    LogLines log;
    const auto engine = OpenEngine(UniformProject(4, 4, 4, kSpacing), "project.cst", log.Sink());
    log.Take();
    const std::vector<float> matrix = MatrixWithNode111(1, 2, 3);
    EXPECT_EQ(engine->GetMaterialFromIndex(matrix.data(), 1, 1, 1, 21, 5),
              (std::array<double, 3>{-99999, -99999, -99999}));
    EXPECT_EQ(log.Take(), std::vector<std::string>{"unsupported material!"});
}

TEST(NodeValues, TwoTwoTwoGiveTwoAndThreeZeroZeroGiveRootThree) {
    fake_reader::Project project = UniformProject(4, 4, 4, kSpacing);
    // Density mode divides by d at an interior element.
    project.matrices[3] = MatrixWithNode111(2 * kSpacing, 2 * kSpacing, 2 * kSpacing);
    auto engine = OpenEngine(project);
    engine->material_quantity = 3;
    const auto values = engine->GetNodeMaterialProperty(1, 1, 1, 21, 3);
    EXPECT_EQ(values, (std::array<double, 3>{2, 2, 2}));
    EXPECT_EQ(RootMeanSquare(values), 2.0f);
    EXPECT_EQ(RootMeanSquare({3, 0, 0}), static_cast<float>(std::sqrt(3.0)));

    EXPECT_EQ(ComputedProperties(project, 3)[kElement111], 2.0f);

    project.matrices[3] = MatrixWithNode111(3 * kSpacing, 0, 0);
    EXPECT_EQ(ComputedProperties(project, 3)[kElement111], static_cast<float>(std::sqrt(3.0)));
}

TEST(ElementProperties, EveryElementUsesItsLowerCornerNode) {
    fake_reader::Project project = MeshProject({0, 0.5, 2, 2.25, 4}, {1, 2, 4}, {-3, -1, 0, 0.125});
    std::vector<float> wanted(4 * 2 * 3);
    for (std::size_t e = 0; e < wanted.size(); ++e) wanted[e] = 1.0f + static_cast<float>(e);
    for (const unsigned quantity : {0u, 3u}) {
        project.matrices[static_cast<int>(quantity)] = MatrixForProperties(project, wanted, quantity);
        const std::vector<float> properties = ComputedProperties(project, quantity);
        ASSERT_EQ(properties.size(), wanted.size());
        for (std::size_t e = 0; e < wanted.size(); ++e) {
            EXPECT_NEAR(properties[e], wanted[e], 1e-5 * wanted[e]) << "quantity " << quantity << ", element " << e;
        }
    }
}

TEST(ElementProperties, AnUnsupportedCodeGives99999AndOneLineWithTheElementCount) {
    fake_reader::Project project = UniformProject(4, 3, 2, kSpacing);
    project.matrices[5] = std::vector<float>(3 * 24, 2.0f);
    LogLines log;
    EXPECT_EQ(ComputedProperties(project, 5, log.Sink()), std::vector<float>(6, 99999.0f));
    const std::vector<std::string> lines = log.Take();
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(lines[0].rfind("unsupported material!", 0), 0u) << lines[0];
    EXPECT_TRUE(NamesNumber(lines[0], 6) && NamesNumber(lines[0], 5)) << lines[0];
    EXPECT_EQ(fake_reader::RequestedQuantity(), 5);
}

TEST(MaterialMatrix, IsRequestedOncePerEngineWithTheCodeInForce) {
    TempDir dir;
    fake_reader::Project project = UniformProject(3, 3, 3);
    project.matrices[3] = MatrixForProperties(project, std::vector<float>(8, 2.0f), 3);
    WriteMaterialFile(dir / "m.xml", {{1, 1, 1, 2, 2, "solid"}});
    auto engine = OpenEngine(project);
    engine->material_file = dir / "m.xml";
    engine->material_quantity = 3;
    EXPECT_EQ(ExportFailure(*engine, dir / "a.efm"), "");
    EXPECT_EQ(ExportFailure(*engine, dir / "b.efm"), "");
    EXPECT_EQ(fake_reader::CallCount("CST_GetMaterialMatrixHexMesh"), 1);
    EXPECT_EQ(fake_reader::RequestedQuantity(), 3);
}

TEST(MaterialMatrix, AChangedCodeReadsMatrixAndPropertiesAgain) {
    for (const bool plane_reads : {false, true}) {
        SCOPED_TRACE(MatrixReadCall(plane_reads));
        TempDir dir;
        fake_reader::Project project = UniformProject(3, 3, 3);
        project.plane_reads = plane_reads;
        const std::vector<float> permittivities{1, 4, 1, 4, 1, 4, 1, 4}, densities{8, 8, 2, 2, 8, 8, 2, 2};
        project.matrices[0] = MatrixForProperties(project, permittivities, 0);
        project.matrices[3] = MatrixForProperties(project, densities, 3);
        // ID 1: eps 1, rho_set 2; ID 2: eps 4, rho_set 8.
        WriteMaterialFile(dir / "m.xml", {{1, 1, 1, 100, 2, "one"}, {2, 4, 1, 100, 8, "two"}});
        auto engine = OpenEngine(project);
        engine->material_file = dir / "m.xml";

        EXPECT_EQ(Exported(*engine, false, false).bytes, (std::vector<unsigned char>{1, 2, 1, 2, 1, 2, 1, 2}));

        engine->material_quantity = 3;
        const test_efm::MapContents by_density = Exported(*engine, false, true);
        EXPECT_EQ(fake_reader::CallCount(MatrixReadCall(plane_reads)), 2);
        EXPECT_EQ(fake_reader::RequestedQuantity(), 3);
        EXPECT_EQ(by_density.bytes, (std::vector<unsigned char>{2, 2, 1, 1, 2, 2, 1, 1}));
        ASSERT_EQ(by_density.properties.size(), densities.size());
        for (std::size_t e = 0; e < densities.size(); ++e) EXPECT_FLOAT_EQ(by_density.properties[e], densities[e]);

        engine->material_quantity = 0;
        EXPECT_EQ(Exported(*engine, false, false).bytes, (std::vector<unsigned char>{1, 2, 1, 2, 1, 2, 1, 2}));
        EXPECT_EQ(fake_reader::CallCount(MatrixReadCall(plane_reads)), 3);
        EXPECT_EQ(fake_reader::RequestedQuantity(), 0);
    }
}

TEST(MaterialMatrix, AReaderFailureGivesTheQuantityAndTheStatus) {
    fake_reader::Project project = UniformProject(3, 3, 3);
    project.matrix_status = 7;
    auto engine = OpenEngine(project);
    EXPECT_EQ(FailureOf([&] { engine->GetNodeMaterialProperty(0, 0, 0, 0, 0); }),
              "Didn't found quantity 0 due to error 7 and skip it.");
    EXPECT_EQ(fake_reader::RequestedQuantity(), 0);

    fake_reader::Current().matrix_status = -2;
    EXPECT_EQ(FailureOf([&] { engine->GetNodeMaterialProperty(0, 0, 0, 0, 3); }),
              "Didn't found quantity 3 due to error -2 and skip it.");
}

TEST(MaterialMatrix, AFailedReadFailsTheExportAndIsRetriedByTheNext) {
    for (const bool plane_reads : {false, true}) {
        SCOPED_TRACE(MatrixReadCall(plane_reads));
        TempDir dir;
        fake_reader::Project project = UniformProject(3, 3, 3);
        project.plane_reads = plane_reads;
        project.matrices[0] = MatrixForProperties(project, std::vector<float>(8, 4.0f), 0);
        project.matrix_status = 7;
        WriteMaterialFile(dir / "m.xml", {{0, 1, 1, 0, 0, "gas"}, {1, 4, 1, 0, 0, "solid"}});
        auto engine = OpenEngine(project);
        engine->material_file = dir / "m.xml";

        EXPECT_EQ(ExportFailure(*engine, dir / "out.efm"), "Failed to read material properties from CST.");

        fake_reader::Current().matrix_status = 0;
        EXPECT_EQ(Exported(*engine, false, false).bytes, std::vector<unsigned char>(8, 1));
        EXPECT_EQ(fake_reader::CallCount(MatrixReadCall(plane_reads)), 2);
    }
}

TEST(MaterialMatrix, PropertiesAreReadBeforeTheMaterialFile) {
    TempDir dir;
    fake_reader::Project project = UniformProject(3, 3, 3);
    project.matrix_status = 7;
    auto engine = OpenEngine(project);
    engine->material_file = dir / "missing.xml";
    EXPECT_EQ(ExportFailure(*engine, dir / "out.efm"), "Failed to read material properties from CST.");

    fake_reader::Current().matrix_status = 0;
    fake_reader::Current().matrices[0] = std::vector<float>(81, 1.0f);
    EXPECT_EQ(ExportFailure(*engine, dir / "out.efm"), "PrepareMaterialData: Error during parsing Materials.xml file.");
    // The properties stay; only the material file is read again.
    WriteMaterialFile(dir / "missing.xml", {{1, 4, 1, 0, 0, "solid"}});
    EXPECT_EQ(ExportFailure(*engine, dir / "out.efm"), "");
    EXPECT_EQ(fake_reader::CallCount("CST_GetMaterialMatrixHexMesh"), 2);
}

TEST(MaterialMatrix, ASingleLineAlongAnAxisAsksForNoMatrix) {
    TempDir dir;
    auto engine = OpenEngine(UniformProject(4, 1, 3));
    engine->material_file = dir / "m.xml";
    WriteMaterialFile(dir / "m.xml", {{1, 4, 1, 0, 0, "solid"}});
    const test_efm::MapContents written = Exported(*engine, false, true);
    EXPECT_EQ(fake_reader::CallCount("CST_GetMaterialMatrixHexMesh"), 0);
    EXPECT_TRUE(written.properties.empty());
    EXPECT_TRUE(written.bytes.empty());
}

namespace {

// A strictly increasing set of lines with random spacings over several orders of magnitude.
std::vector<double> RandomLines(std::mt19937& random, int count) {
    std::uniform_real_distribution<double> exponent(-4, 2);
    std::vector<double> lines{std::uniform_real_distribution<double>(-10, 10)(random)};
    while (static_cast<int>(lines.size()) < count) lines.push_back(lines.back() + std::pow(10.0, exponent(random)));
    return lines;
}

std::vector<float> RandomMatrix(std::mt19937& random, std::size_t size) {
    const float specials[] = {0.0f,
                              -0.0f,
                              std::numeric_limits<float>::max(),
                              -std::numeric_limits<float>::max(),
                              std::numeric_limits<float>::denorm_min(),
                              std::numeric_limits<float>::min(),
                              1e-30f,
                              -1e-30f,
                              1e30f,
                              std::numeric_limits<float>::infinity(),
                              -std::numeric_limits<float>::infinity(),
                              std::numeric_limits<float>::quiet_NaN()};
    std::uniform_int_distribution<int> kind(0, 9);
    std::uniform_int_distribution<std::size_t> special(0, std::size(specials) - 1);
    std::uniform_real_distribution<float> ordinary(-20, 20);
    std::uniform_real_distribution<float> exponent(-38, 38);
    std::vector<float> matrix(size);
    for (float& value : matrix) {
        switch (kind(random)) {
        case 0: value = specials[special(random)]; break;
        case 1:
        case 2: value = std::pow(10.0f, exponent(random)) * (kind(random) < 5 ? -1.0f : 1.0f); break;
        default: value = ordinary(random);
        }
    }
    return matrix;
}

// The element properties computed one element at a time through the engine's node value helpers.
std::vector<float> ElementByElement(CST_Readout& engine, const fake_reader::Project& project, unsigned quantity) {
    const auto [nx, ny, nz] = project.dims;
    std::vector<float> properties(static_cast<std::size_t>((nx - 1) * (ny - 1) * (nz - 1)));
    for (int k = 0; k < nz - 1; ++k) {
        for (int j = 0; j < ny - 1; ++j) {
            for (int i = 0; i < nx - 1; ++i) {
                const auto values = engine.GetNodeMaterialProperty(i, j, k, i + nx * (j + ny * k), quantity);
                properties[static_cast<std::size_t>(i + (nx - 1) * (j + (ny - 1) * k))] = RootMeanSquare(values);
            }
        }
    }
    return properties;
}

}  // namespace

TEST(ElementProperties, TheWholeMeshComputationEqualsTheElementByElementOneAndTheReferenceBitForBit) {
    std::mt19937 random(20240601);
    for (const std::array<int, 3> dims :
         {std::array{17, 13, 11}, std::array{20, 7, 5}, std::array{2, 9, 4}, std::array{38, 3, 2}}) {
        const std::vector<double> x = RandomLines(random, dims[0]), y = RandomLines(random, dims[1]),
                                  z = RandomLines(random, dims[2]);
        fake_reader::Project project = MeshProject(x, y, z);
        const std::size_t nodes = x.size() * y.size() * z.size();
        for (const unsigned quantity : {0u, 1u, 2u, 3u, 5u}) {
            project.matrices[static_cast<int>(quantity)] = RandomMatrix(random, 3 * nodes);
        }
        for (const unsigned workers : {1u, 3u}) {
            WorkerCountScope scope(workers);
            for (const unsigned quantity : {0u, 1u, 2u, 3u, 5u}) {
                const std::vector<float> whole = ComputedProperties(project, quantity);
                const std::vector<float> one_by_one = ElementByElement(*OpenEngine(project), project, quantity);
                ASSERT_EQ(whole.size(), one_by_one.size());
                EXPECT_EQ(std::memcmp(whole.data(), one_by_one.data(), whole.size() * sizeof(float)), 0)
                    << "mesh " << dims[0] << "x" << dims[1] << "x" << dims[2] << ", quantity " << quantity << ", "
                    << workers << " workers";
                if (quantity > 3) continue;
                const std::vector<float> formula =
                    reference::ElementProperties(project.matrices.at(static_cast<int>(quantity)), x, y, z, quantity);
                EXPECT_EQ(std::memcmp(whole.data(), formula.data(), whole.size() * sizeof(float)), 0)
                    << "the reference differs: mesh " << dims[0] << "x" << dims[1] << "x" << dims[2] << ", quantity "
                    << quantity;
            }
        }
    }
}

// The whole export, not only its loops: the file written with several threads is the file
// written with one, byte for byte, and its element properties are the element-by-element ones.
// The matrix holds the awkward values (zero, negative, huge, tiny, infinite, NaN) and the
// catalogue materials with equal values (ties) and an ID 0.
TEST(ThreadedExport, ManyThreadsWriteTheFileOfOneThread) {
    std::mt19937 random(4242);
    const std::vector<double> x = RandomLines(random, 41), y = RandomLines(random, 29), z = RandomLines(random, 23);
    fake_reader::Project project = MeshProject(x, y, z);
    for (const int quantity : {0, 3})
        project.matrices[quantity] = RandomMatrix(random, 3 * x.size() * y.size() * z.size());
    TempDir dir;
    // eps values spread over the permittivities such a matrix gives, rho_set over its densities.
    WriteMaterialFile(dir / "m.xml", {{0, 1, 1, 0, 0.5f, "gas"},
                                      {1, 3e9f, 1, 0, 3, "a"},
                                      {2, 3e9f, 1, 0, 3, "a twin"},
                                      {3, 3e10f, 1, 0, 30, "b"},
                                      {4, 3e11f, 1, 0, 300, "c"},
                                      {5, -1e10f, 1, 0, -10, "negative"}});
    for (const bool density : {false, true}) {
        std::vector<std::vector<unsigned char>> files;
        for (const unsigned workers : {1u, 2u, 5u}) {
            WorkerCountScope scope(workers);
            auto engine = OpenEngine(project);
            engine->material_file = dir / "m.xml";
            engine->material_quantity = density ? 3 : 0;
            const std::string output = dir / ("out-" + std::to_string(workers) + ".efm");
            ASSERT_EQ(FailureOf([&] { engine->SaveBinaryFile(output, false, true); }), "");
            const std::vector<float> one_by_one = ElementByElement(*engine, project, density ? 3 : 0);
            const test_efm::MapContents written = test_efm::Read(output);
            ASSERT_EQ(written.properties.size(), one_by_one.size());
            EXPECT_EQ(std::memcmp(written.properties.data(), one_by_one.data(), one_by_one.size() * sizeof(float)), 0);
            const std::vector<unsigned char>& bytes = written.bytes;
            EXPECT_GE(std::set<unsigned char>(bytes.begin(), bytes.end()).size(), 4u) << "too few materials to compare";
            files.push_back(ReadBytes(output));
        }
        EXPECT_EQ(files[1], files[0]) << (density ? "density" : "permittivity");
        EXPECT_EQ(files[2], files[0]) << (density ? "density" : "permittivity");
    }
}
