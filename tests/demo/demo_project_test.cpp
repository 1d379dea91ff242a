// The demo project: its mesh, potential and material matrices, and its materials.
#include "demo/demo_project.h"
#include "tests/support/reference.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <set>

using namespace brenwick;

namespace {

// A cube of lines just too big for the relaxation: its potential is the layered solution.
std::array<int, 3> UnrelaxedMesh() {
    const int n = static_cast<int>(std::cbrt(static_cast<double>(kDemoRelaxationNodeLimit))) + 2;
    return {n, n, n};
}

std::size_t Nodes(const ProjectContents& c) { return c.x_lines.size() * c.y_lines.size() * c.z_lines.size(); }

// The element properties of the demo's matrices, as the reference formulas give them.
std::vector<float> RecomputedProperties(const ProjectContents& c, int quantity) {
    return reference::ElementProperties(c.material_matrices.at(quantity), c.x_lines, c.y_lines, c.z_lines,
                                        static_cast<unsigned>(quantity));
}

// --- Mesh lines

TEST(DemoMeshLines, StrictlyIncreasingFromZeroAndNonUniform) {
    for (int axis = 0; axis < 3; ++axis) {
        for (const int n : {2, 3, 4, 9, 17, kDemoDefaultMesh[axis], 256}) {
            SCOPED_TRACE("axis " + std::to_string(axis) + ", " + std::to_string(n) + " lines");
            const std::vector<double> lines = DemoMeshLines(axis, n);
            ASSERT_EQ(lines.size(), static_cast<std::size_t>(n));
            EXPECT_EQ(lines.front(), 0.0);
            double shortest = std::numeric_limits<double>::max(), longest = 0;
            for (std::size_t i = 0; i + 1 < lines.size(); ++i) {
                ASSERT_LT(lines[i], lines[i + 1]) << "at line " << i;
                shortest = std::min(shortest, lines[i + 1] - lines[i]);
                longest = std::max(longest, lines[i + 1] - lines[i]);
            }
            if (n >= 3) {
                EXPECT_GT(longest / shortest, 1.01);
            }
            if (n >= 9) {
                EXPECT_GT(longest / shortest, 1.5);
            }
        }
        EXPECT_EQ(DemoMeshLines(axis, 1), std::vector<double>{0.0});
        EXPECT_EQ(DemoMeshLines(axis, 2).back(), DemoMeshLines(axis, 50).back()) << "extent depends on n";
    }
    EXPECT_THROW(DemoMeshLines(3, 5), std::invalid_argument);
}

// --- Sizes and the stored result

TEST(DemoProject, SizesFollowTheMeshIncludingAxesWithOneLine) {
    for (const std::array<int, 3> mesh :
         {kDemoDefaultMesh, std::array{2, 2, 2}, std::array{1, 5, 7}, std::array{6, 1, 3}, std::array{3, 4, 1}}) {
        SCOPED_TRACE(std::to_string(mesh[0]) + "x" + std::to_string(mesh[1]) + "x" + std::to_string(mesh[2]));
        const DemoProject demo = MakeDemoProject(mesh);
        const ProjectContents& c = demo.contents;
        EXPECT_EQ(c.x_lines.size(), static_cast<std::size_t>(mesh[0]));
        EXPECT_EQ(c.y_lines.size(), static_cast<std::size_t>(mesh[1]));
        EXPECT_EQ(c.z_lines.size(), static_cast<std::size_t>(mesh[2]));
        const std::size_t elements = static_cast<std::size_t>(mesh[0] - 1) * (mesh[1] - 1) * (mesh[2] - 1);
        EXPECT_EQ(demo.element_materials.size(), elements);
        ASSERT_EQ(c.results.size(), 1u);
        EXPECT_EQ(c.results[0].tree_path, "2D/3D Results\\Potentials");
        EXPECT_EQ(c.results[0].field_type, 4);
        EXPECT_EQ(c.results[0].values.size(), Nodes(c));
        ASSERT_EQ(c.material_matrices.size(), 2u);
        for (const int code : {0, 3}) {
            const std::vector<float>& matrix = c.material_matrices.at(code);
            EXPECT_EQ(matrix.size(), 3 * Nodes(c));
            EXPECT_TRUE(std::all_of(matrix.begin(), matrix.end(), [](float v) { return std::isfinite(v); }));
        }
    }
}

// --- Potential

struct PotentialView {
    const ProjectContents& c;
    const std::vector<float>& phi = c.results.at(0).values;
    std::size_t nx = c.x_lines.size(), ny = c.y_lines.size(), nz = c.z_lines.size();
    double At(std::size_t i, std::size_t j, std::size_t k) const { return phi[i + nx * (j + ny * k)]; }
};

TEST(DemoPotential, GroundAndCathodeBoundAllValuesAndFallAlongEveryColumn) {
    for (const std::array<int, 3> mesh :
         {kDemoDefaultMesh, std::array{9, 7, 12}, std::array{30, 24, 60}, UnrelaxedMesh()}) {
        SCOPED_TRACE(std::to_string(mesh[0]) + "x" + std::to_string(mesh[1]) + "x" + std::to_string(mesh[2]));
        const DemoProject demo = MakeDemoProject(mesh);
        const PotentialView p{demo.contents};
        for (std::size_t j = 0; j < p.ny; ++j) {
            for (std::size_t i = 0; i < p.nx; ++i) {
                ASSERT_EQ(p.At(i, j, 0), 0.0);
                ASSERT_FALSE(std::signbit(p.At(i, j, 0))) << "the ground is -0";
                ASSERT_EQ(p.At(i, j, p.nz - 1), kDemoCathodeVoltage);
                for (std::size_t k = 1; k < p.nz; ++k) {
                    ASSERT_LT(p.At(i, j, k), p.At(i, j, k - 1)) << "column " << i << ", " << j << " at " << k;
                }
            }
        }
    }
}

// Whatever the materials, no neighbouring nodes differ by more than a field three times the
// mean field across the detector would give.
TEST(DemoPotential, IsContinuousBetweenNeighbours) {
    const DemoProject demo = MakeDemoProject(kDemoDefaultMesh);
    const PotentialView p{demo.contents};
    const std::array lines{&demo.contents.x_lines, &demo.contents.y_lines, &demo.contents.z_lines};
    const double limit = 3 * std::abs(kDemoCathodeVoltage) / (lines[2]->back() - lines[2]->front());
    for (std::size_t k = 0; k < p.nz; ++k) {
        for (std::size_t j = 0; j < p.ny; ++j) {
            for (std::size_t i = 0; i < p.nx; ++i) {
                const std::array<std::size_t, 3> at{i, j, k};
                for (int axis = 0; axis < 3; ++axis) {
                    if (at[axis] + 1 >= lines[axis]->size()) continue;
                    std::array<std::size_t, 3> next = at;
                    ++next[axis];
                    const double step = (*lines[axis])[next[axis]] - (*lines[axis])[at[axis]];
                    ASSERT_LE(std::abs(p.At(next[0], next[1], next[2]) - p.At(i, j, k)) / step, limit)
                        << "node " << i << ", " << j << ", " << k << " towards axis " << axis;
                }
            }
        }
    }
}

// In a column of board and gas only, the normal D = eps * E passes the board surface unchanged,
// so the field in the board is weaker than in the gas by their permittivity ratio. Large meshes
// keep the layered solution, where D is the same in every element of such a column.
TEST(DemoPotential, NormalDisplacementIsContinuousInBoardAndGasColumns) {
    struct Case {
        std::array<int, 3> mesh;
        bool layered;  // the mesh is too big for relaxation: D is the same all along the column
        double interface_tolerance;
    };
    for (const Case& test : {Case{UnrelaxedMesh(), true, 1e-4}, Case{kDemoDefaultMesh, false, 0.01}}) {
        SCOPED_TRACE(test.mesh[0]);
        const DemoProject demo = MakeDemoProject(test.mesh);
        const PotentialView p{demo.contents};
        const std::vector<double>& z = demo.contents.z_lines;
        std::array<float, 256> eps{};
        for (const Material& m : demo.materials) eps[static_cast<int>(m.ID)] = m.eps;

        // The board-and-gas column farthest from every column holding another material.
        std::vector<bool> other_material((p.nx - 1) * (p.ny - 1), false);
        for (std::size_t e = 0; e < demo.element_materials.size(); ++e) {
            const unsigned char id = demo.element_materials[e];
            if (id != kDemoGas && id != kDemoBoard) other_material[e % other_material.size()] = true;
        }
        std::size_t best_i = 0, best_j = 0;
        double best_distance = -1;
        for (std::size_t column = 0; column < other_material.size(); ++column) {
            if (other_material[column]) continue;
            const double i = double(column % (p.nx - 1)), j = double(column / (p.nx - 1));
            double distance = std::numeric_limits<double>::max();
            for (std::size_t other = 0; other < other_material.size(); ++other) {
                if (other_material[other]) {
                    distance = std::min(distance, std::hypot(double(other % (p.nx - 1)) - i,
                                                             double(other / (p.nx - 1)) - j));
                }
            }
            if (distance > best_distance) {
                best_distance = distance;
                best_i = column % (p.nx - 1);
                best_j = column / (p.nx - 1);
            }
        }
        ASSERT_GT(best_distance, 0) << "no column of board and gas";

        std::vector<double> d;  // eps * E_z per element layer, from the ground up
        std::size_t first_gas = 0;
        for (std::size_t k = 0; k + 1 < p.nz; ++k) {
            const unsigned char id = demo.element_materials[best_i + (p.nx - 1) * (best_j + (p.ny - 1) * k)];
            if (id == kDemoBoard) first_gas = k + 1;
            const double field = (p.At(best_i, best_j, k) - p.At(best_i, best_j, k + 1)) / (z[k + 1] - z[k]);
            d.push_back(eps[id] * field);
        }
        ASSERT_GT(first_gas, 0u) << "no board below the gas";
        ASSERT_LT(first_gas, d.size()) << "no gas above the board";
        EXPECT_NEAR(d[first_gas - 1] / d[first_gas], 1.0, test.interface_tolerance) << "across the board surface";
        if (test.layered) {
            for (std::size_t k = 1; k < d.size(); ++k) EXPECT_NEAR(d[k] / d[0], 1.0, 1e-4) << "element layer " << k;
        }
    }
}

// --- Material matrices

TEST(DemoMaterialMatrix, RecomputedPropertiesMatchEveryElementToItsMaterialInBothModes) {
    for (const std::array<int, 3> mesh : {kDemoDefaultMesh, std::array{7, 5, 9}, std::array{2, 2, 2},
                                          std::array{3, 2, 17}, std::array{80, 61, 47}}) {
        const DemoProject demo = MakeDemoProject(mesh);
        for (const int code : {0, 3}) {
            SCOPED_TRACE("mesh " + std::to_string(mesh[0]) + "x" + std::to_string(mesh[1]) + "x" +
                         std::to_string(mesh[2]) + ", quantity " + std::to_string(code));
            const std::vector<float> properties = RecomputedProperties(demo.contents, code);
            ASSERT_EQ(properties.size(), demo.element_materials.size());
            const std::vector<unsigned char> matched = reference::AssignMaterials(properties, demo.materials, code);
            std::size_t wrong = 0, first_wrong = 0;
            for (std::size_t e = 0; e < properties.size(); ++e) {
                if (matched[e] != demo.element_materials[e] && wrong++ == 0) first_wrong = e;
            }
            EXPECT_EQ(wrong, 0u) << "first at element " << first_wrong << " with property "
                                 << properties[first_wrong];
        }
    }
}

// Every element's property is its material's own value, not merely nearer to it than to others.
TEST(DemoMaterialMatrix, PropertiesEqualTheMaterialValuesToSinglePrecision) {
    const DemoProject demo = MakeDemoProject({13, 11, 10});
    for (const int code : {0, 3}) {
        const std::vector<float> properties = RecomputedProperties(demo.contents, code);
        for (std::size_t e = 0; e < properties.size(); ++e) {
            const Material& material = demo.materials.at(demo.element_materials[e]);
            const float wanted = code == 0 ? material.eps : material.rho_set;
            ASSERT_NEAR(properties[e], wanted, wanted * 4e-7f) << "element " << e << ", quantity " << code;
        }
    }
}

TEST(DemoMaterialMatrix, NodesOnTheLastLinesRepeatTheirNeighbour) {
    const DemoProject demo = MakeDemoProject({6, 5, 4});
    const ProjectContents& c = demo.contents;
    const std::size_t nx = 6, ny = 5, nz = 4, n = Nodes(c);
    auto node = [&](std::size_t i, std::size_t j, std::size_t k) { return i + nx * (j + ny * k); };
    for (const int code : {0, 3}) {
        const std::vector<float>& m = c.material_matrices.at(code);
        for (std::size_t comp = 0; comp < 3; ++comp) {
            EXPECT_EQ(m[comp * n + node(nx - 1, 2, 1)], m[comp * n + node(nx - 2, 2, 1)]);
            EXPECT_EQ(m[comp * n + node(3, ny - 1, 2)], m[comp * n + node(3, ny - 2, 2)]);
            EXPECT_EQ(m[comp * n + node(1, 1, nz - 1)], m[comp * n + node(1, 1, nz - 2)]);
            EXPECT_EQ(m[comp * n + node(nx - 1, ny - 1, nz - 1)], m[comp * n + node(nx - 2, ny - 2, nz - 2)]);
        }
    }
}

TEST(DemoMaterialMatrix, OnlyPermittivityAndDensityAreMade) {
    const std::vector<double> lines{0, 1};
    const std::vector<unsigned char> one_gas_element{kDemoGas};
    EXPECT_THROW(DemoMaterialMatrix(lines, lines, lines, one_gas_element, DemoMaterials(), 1), std::invalid_argument);
    EXPECT_EQ(DemoMaterialMatrix(lines, lines, lines, one_gas_element, DemoMaterials(), 3).size(), 24u);
}

// --- Materials and their arrangement

TEST(DemoMaterials, GasHasIdZeroAndEveryMaterialIsDistinctInBothModes) {
    const std::vector<Material> materials = DemoMaterials();
    ASSERT_GE(materials.size(), 3u);
    EXPECT_EQ(materials[0].ID, 0.0f);
    EXPECT_EQ(materials[0].description, "gas");
    EXPECT_EQ(materials[0].eps, 1.0f);
    std::set<float> ids, eps, rho_set;
    for (const Material& m : materials) {
        EXPECT_EQ(m.ID, std::trunc(m.ID)) << m.description;
        ids.insert(m.ID);
        eps.insert(m.eps);
        rho_set.insert(m.rho_set);
    }
    EXPECT_EQ(ids.size(), materials.size());
    EXPECT_EQ(eps.size(), materials.size());
    EXPECT_EQ(rho_set.size(), materials.size());
}

TEST(DemoElementMaterials, SeveralSolidsThatVaryAcrossTheDetectorPlane) {
    const DemoProject demo = MakeDemoProject(kDemoDefaultMesh);
    const std::size_t ex = kDemoDefaultMesh[0] - 1, ey = kDemoDefaultMesh[1] - 1, ez = kDemoDefaultMesh[2] - 1;
    std::set<unsigned char> present(demo.element_materials.begin(), demo.element_materials.end());
    std::set<unsigned char> catalogue;
    for (const Material& m : demo.materials) catalogue.insert(static_cast<unsigned char>(m.ID));
    EXPECT_EQ(present, catalogue) << "every material of the catalogue occurs";
    EXPECT_GE(std::count_if(present.begin(), present.end(), [](unsigned char id) { return id != 0; }), 2);

    // Layers holding a solid beside another material within the same z layer.
    std::set<unsigned char> solids_varying_in_plane;
    for (std::size_t k = 0; k < ez; ++k) {
        std::set<unsigned char> layer(demo.element_materials.begin() + k * ex * ey,
                                      demo.element_materials.begin() + (k + 1) * ex * ey);
        if (layer.size() > 1) {
            for (const unsigned char id : layer) {
                if (id != kDemoGas) solids_varying_in_plane.insert(id);
            }
        }
    }
    EXPECT_GE(solids_varying_in_plane.size(), 2u);
}

}  // namespace
