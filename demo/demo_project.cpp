#include "demo_project.h"

#include "efm/grid.h"
#include "engine/materials/element_properties.h"
#include "engine/materials/material_assignment.h"
#include "engine/project/mesh_geometry.h"

#include <algorithm>
#include <cmath>
#include <numbers>
#include <stdexcept>

namespace brenwick {

namespace {

// Detector geometry, in mm.
constexpr std::array<double, 3> kExtent{12.0, 9.0, 5.0};  // x, y, z
constexpr double kBoardTop = 0.8;      // the readout board fills z below this
constexpr double kPillarTop = 2.0;     // pillars stand on the board up to this height
constexpr double kPillarRadius = 0.8;
constexpr std::array<double, 2> kPillarX{4.0, 8.0};
constexpr std::array<double, 2> kPillarY{3.0, 6.0};
constexpr double kFrameWidth = 1.0;    // spacer frame along the four side walls, above the board

// Line density along an axis: a gentle slope (so that no axis is symmetric, whatever its line
// count) plus Gaussian bumps where the mesh is to be fine.
struct AxisGrading {
    double slope;                 // density changes by this fraction from start to end
    double bump_height;
    double bump_width;
    std::vector<double> centres;  // where the lines crowd
};

AxisGrading GradingOf(int axis) {
    switch (axis) {
        case 0: return {0.4, 1.5, 1.0, {kPillarX[0], kPillarX[1]}};
        case 1: return {0.3, 1.5, 1.0, {kPillarY[0], kPillarY[1]}};
        case 2: return {-0.5, 4.0, 0.6, {kBoardTop}};
        default: throw std::invalid_argument("DemoMeshLines: the axis must be 0, 1 or 2.");
    }
}

// Integral of the line density from 0 to s; strictly increasing in s.
double CumulativeDensity(const AxisGrading& grading, double length, double s) {
    double value = s + grading.slope * s * s / (2.0 * length);
    const double bump_scale = grading.bump_height * grading.bump_width * std::sqrt(std::numbers::pi) / 2.0;
    for (const double centre : grading.centres) {
        value += bump_scale * (std::erf((s - centre) / grading.bump_width) + std::erf(centre / grading.bump_width));
    }
    return value;
}

// The s in [0, length] at which the cumulative density reaches target, by bisection.
double InverseCumulative(const AxisGrading& grading, double length, double target) {
    double low = 0.0;
    double high = length;
    for (int step = 0; step < 200; ++step) {
        const double middle = 0.5 * (low + high);
        if (middle <= low || middle >= high) break;
        (CumulativeDensity(grading, length, middle) < target ? low : high) = middle;
    }
    return 0.5 * (low + high);
}

// Layered stack of the detector without its pillars and frame: board below gas.
unsigned char StackMaterialAt(double z) { return z < kBoardTop ? kDemoBoard : kDemoGas; }

bool InFrame(double x, double y) {
    return x < kFrameWidth || x > kExtent[0] - kFrameWidth || y < kFrameWidth || y > kExtent[1] - kFrameWidth;
}

bool InPillar(double x, double y) {
    for (const double px : kPillarX) {
        for (const double py : kPillarY) {
            const double dx = x - px;
            const double dy = y - py;
            if (dx * dx + dy * dy < kPillarRadius * kPillarRadius) return true;
        }
    }
    return false;
}

std::vector<double> Centres(const std::vector<double>& lines) {
    std::vector<double> centres;
    for (std::size_t i = 0; i + 1 < lines.size(); ++i) centres.push_back(0.5 * (lines[i] + lines[i + 1]));
    return centres;
}

std::array<int, 3> MeshDims(const std::vector<double>& x, const std::vector<double>& y, const std::vector<double>& z) {
    return {static_cast<int>(x.size()), static_cast<int>(y.size()), static_cast<int>(z.size())};
}

// Matching values by material ID: eps for code 0, rho_set for code 3.
std::array<double, 256> PropertyById(const std::vector<Material>& materials, unsigned quantity) {
    std::array<double, 256> table{};
    for (const Material& material : materials) {
        const auto id = static_cast<unsigned char>(static_cast<int>(material.ID));
        table[id] = MatchingValue(material, quantity);
    }
    return table;
}

// Edge and dual lengths for every line of an axis; the last line borrows those of the line
// before it, so that nodes there repeat their neighbour's matrix values.
std::vector<AxisLengths> ClampedLengths(const std::vector<double>& lines) {
    std::vector<AxisLengths> lengths(lines.size());
    for (std::size_t i = 0; i < lines.size(); ++i) lengths[i] = AxisLengthsAt(lines, std::min(i, lines.size() - 2));
    return lengths;
}

// Potential of the layered stack as the mesh resolves it: along z the potential is piecewise
// linear with continuous D = eps * E across every element boundary.
std::vector<double> StackPotential(const std::vector<double>& z, const std::vector<Material>& materials) {
    std::vector<double> potential(z.size(), 0.0);
    if (z.size() < 2) return potential;
    const std::array<double, 256> eps = PropertyById(materials, kQuantityPermittivity);
    std::vector<double> resistance(z.size(), 0.0);  // integral of dz / eps from the ground up
    for (std::size_t k = 0; k + 1 < z.size(); ++k) {
        const double centre = 0.5 * (z[k] + z[k + 1]);
        resistance[k + 1] = resistance[k] + (z[k + 1] - z[k]) / eps[StackMaterialAt(centre)];
    }
    for (std::size_t k = 1; k + 1 < z.size(); ++k) potential[k] = kDemoCathodeVoltage * resistance[k] / resistance.back();
    potential.back() = kDemoCathodeVoltage;  // the ground keeps +0, not the -0 of a product
    return potential;
}

// Finite-volume relaxation of div(eps grad phi) = 0 on the nodes between the grounded and the
// cathode z lines; the side walls are insulating. Each node couples to its six neighbours with
// the capacitance of the four element quarters around the connecting edge.
class Relaxation {
public:
    Relaxation(const std::vector<double>& x, const std::vector<double>& y, const std::vector<double>& z,
               const std::vector<unsigned char>& element_materials, const std::vector<Material>& materials)
        : dims_(MeshDims(x, y, z)), nx_(x.size()), ny_(y.size()), nz_(z.size()), coupling_(3 * nx_ * ny_ * nz_, 0.0) {
        const std::array<double, 256> eps = PropertyById(materials, kQuantityPermittivity);
        const std::array<const std::vector<double>*, 3> lines{&x, &y, &z};
        for (std::size_t k = 0; k + 1 < nz_; ++k) {
            for (std::size_t j = 0; j + 1 < ny_; ++j) {
                for (std::size_t i = 0; i + 1 < nx_; ++i) {
                    const double element_eps = eps[element_materials[efm::ElementIndex(dims_, i, j, k)]];
                    const std::array<std::size_t, 3> index{i, j, k};
                    std::array<double, 3> edge{};
                    for (int c = 0; c < 3; ++c) edge[c] = (*lines[c])[index[c] + 1] - (*lines[c])[index[c]];
                    AddElement(i, j, k, element_eps, edge);
                }
            }
        }
    }

    // Successive over-relaxation until no node moves by more than tolerance, or max_sweeps.
    // The factor is the classic optimum for the longest axis, which keeps the number of
    // sweeps near the largest line count.
    void Run(std::vector<double>& phi, int max_sweeps, double tolerance) const {
        const double longest = static_cast<double>(std::max({nx_, ny_, nz_}));
        const double omega = 2.0 / (1.0 + std::sin(std::numbers::pi / longest));
        for (int sweep = 0; sweep < max_sweeps; ++sweep) {
            if (Sweep(phi, omega) < tolerance) return;
        }
    }

private:
    std::array<int, 3> dims_;
    std::size_t nx_, ny_, nz_;
    std::vector<double> coupling_;  // per node: to its +x, +y, +z neighbour

    std::size_t Node(std::size_t i, std::size_t j, std::size_t k) const { return efm::NodeIndex(dims_, i, j, k); }
    double& Coupling(std::size_t node, int axis) { return coupling_[3 * node + axis]; }
    double Coupling(std::size_t node, int axis) const { return coupling_[3 * node + axis]; }

    // Each of the element's twelve edges gets a quarter of the element's cross-section
    // across it, times eps, over the edge's length.
    void AddElement(std::size_t i, std::size_t j, std::size_t k, double eps, const std::array<double, 3>& edge) {
        for (int axis = 0; axis < 3; ++axis) {
            const int a = (axis + 1) % 3;
            const int b = (axis + 2) % 3;
            const double share = eps * (0.5 * edge[a]) * (0.5 * edge[b]) / edge[axis];
            for (std::size_t da = 0; da < 2; ++da) {
                for (std::size_t db = 0; db < 2; ++db) {
                    std::array<std::size_t, 3> corner{i, j, k};
                    corner[a] += da;
                    corner[b] += db;
                    Coupling(Node(corner[0], corner[1], corner[2]), axis) += share;
                }
            }
        }
    }

    double Sweep(std::vector<double>& phi, double omega) const {
        const std::array<std::size_t, 3> stride{1, nx_, nx_ * ny_};
        const std::array<std::size_t, 3> count{nx_, ny_, nz_};
        double largest_change = 0.0;
        for (std::size_t k = 1; k + 1 < nz_; ++k) {
            for (std::size_t j = 0; j < ny_; ++j) {
                for (std::size_t i = 0; i < nx_; ++i) {
                    const std::size_t node = Node(i, j, k);
                    const std::array<std::size_t, 3> index{i, j, k};
                    double weighted = 0.0;
                    double total = 0.0;
                    for (int axis = 0; axis < 3; ++axis) {
                        if (index[axis] + 1 < count[axis]) {
                            weighted += Coupling(node, axis) * phi[node + stride[axis]];
                            total += Coupling(node, axis);
                        }
                        if (index[axis] > 0) {
                            const std::size_t below = node - stride[axis];
                            weighted += Coupling(below, axis) * phi[below];
                            total += Coupling(below, axis);
                        }
                    }
                    if (total <= 0.0) continue;
                    const double change = omega * (weighted / total - phi[node]);
                    phi[node] += change;
                    largest_change = std::max(largest_change, std::abs(change));
                }
            }
        }
        return largest_change;
    }
};

}  // namespace

std::vector<Material> DemoMaterials() {
    // rho is the exported density in g/cm^3; rho_set is how the project's density data show
    // the material, in kg/m^3.
    return {
        {kDemoGas, 1.0f, 1.0f, 0.00166f, 1.66f, "gas"},
        {kDemoBoard, 4.4f, 1.0f, 1.85f, 1850.0f, "FR4 readout board"},
        {kDemoPillar, 3.5f, 1.0f, 1.42f, 1420.0f, "polyimide pillars"},
        {kDemoFrame, 9.8f, 1.0f, 3.95f, 3950.0f, "alumina spacer frame"},
    };
}

std::vector<double> DemoMeshLines(int axis, int n) {
    const AxisGrading grading = GradingOf(axis);
    const double length = kExtent[static_cast<std::size_t>(axis)];
    std::vector<double> lines(static_cast<std::size_t>(std::max(n, 0)), 0.0);
    if (lines.size() < 2) return lines;
    const double total = CumulativeDensity(grading, length, length);
    for (std::size_t i = 1; i + 1 < lines.size(); ++i) {
        const double fraction = static_cast<double>(i) / static_cast<double>(lines.size() - 1);
        lines[i] = InverseCumulative(grading, length, fraction * total);
    }
    lines.back() = length;
    return lines;
}

unsigned char DemoMaterialAt(double x, double y, double z) {
    if (StackMaterialAt(z) != kDemoGas) return StackMaterialAt(z);
    if (InFrame(x, y)) return kDemoFrame;
    if (z < kPillarTop && InPillar(x, y)) return kDemoPillar;
    return kDemoGas;
}

std::vector<unsigned char> DemoElementMaterials(const std::vector<double>& x, const std::vector<double>& y,
                                                const std::vector<double>& z) {
    const std::vector<double> cx = Centres(x);
    const std::vector<double> cy = Centres(y);
    const std::vector<double> cz = Centres(z);
    std::vector<unsigned char> materials;
    materials.reserve(cx.size() * cy.size() * cz.size());
    for (const double zc : cz) {
        for (const double yc : cy) {
            for (const double xc : cx) materials.push_back(DemoMaterialAt(xc, yc, zc));
        }
    }
    return materials;
}

std::vector<float> DemoPotential(const std::vector<double>& x, const std::vector<double>& y,
                                 const std::vector<double>& z,
                                 const std::vector<unsigned char>& element_materials,
                                 const std::vector<Material>& materials) {
    const std::size_t layer = x.size() * y.size();
    const std::vector<double> stack = StackPotential(z, materials);
    std::vector<float> potential(layer * z.size());
    if (layer * z.size() <= kDemoRelaxationNodeLimit && !element_materials.empty()) {
        std::vector<double> phi(potential.size());
        for (std::size_t node = 0; node < phi.size(); ++node) phi[node] = stack[node / layer];
        Relaxation(x, y, z, element_materials, materials).Run(phi, 2000, 1e-6 * std::abs(kDemoCathodeVoltage));
        std::transform(phi.begin(), phi.end(), potential.begin(), [](double v) { return static_cast<float>(v); });
    } else {
        for (std::size_t node = 0; node < potential.size(); ++node) {
            potential[node] = static_cast<float>(stack[node / layer]);
        }
    }
    return potential;
}

std::vector<float> DemoMaterialMatrix(const std::vector<double>& x, const std::vector<double>& y,
                                      const std::vector<double>& z, const std::vector<unsigned char>& element_materials,
                                      const std::vector<Material>& materials, unsigned quantity) {
    if (quantity != kQuantityPermittivity && quantity != kQuantityDensity) {
        throw std::invalid_argument("DemoMaterialMatrix: only quantity codes 0 and 3 are made.");
    }
    const std::size_t nodes = x.size() * y.size() * z.size();
    std::vector<float> matrix(3 * nodes, 0.0f);
    if (element_materials.empty()) return matrix;

    const std::array<double, 256> property = PropertyById(materials, quantity);
    const bool dual_over_primary = UsesDualOverPrimary(quantity);
    const std::vector<AxisLengths> lx = ClampedLengths(x);
    const std::vector<AxisLengths> ly = ClampedLengths(y);
    const std::vector<AxisLengths> lz = ClampedLengths(z);
    const std::array<int, 3> dims = MeshDims(x, y, z);
    std::size_t node = 0;
    for (std::size_t k = 0; k < z.size(); ++k) {
        const std::size_t kc = std::min(k, z.size() - 2);
        for (std::size_t j = 0; j < y.size(); ++j) {
            const std::size_t jc = std::min(j, y.size() - 2);
            for (std::size_t i = 0; i < x.size(); ++i, ++node) {
                const std::size_t ic = std::min(i, x.size() - 2);
                const double p = property[element_materials[efm::ElementIndex(dims, ic, jc, kc)]];
                const InvFactors inv = InvFromLengths(lx[i], ly[j], lz[k], dual_over_primary);
                const std::array<double, 3> g{inv.x, inv.y, inv.z};
                for (std::size_t c = 0; c < 3; ++c) {
                    // Code 0 converts m to 1 / (m * g * eps0), code 3 to m / g.
                    const double m = dual_over_primary ? 1.0 / (p * g[c] * kVacuumPermittivity) : p * g[c];
                    matrix[node + c * nodes] = static_cast<float>(m);
                }
            }
        }
    }
    return matrix;
}

DemoProject MakeDemoProject(const std::array<int, 3>& mesh) {
    DemoProject demo;
    ProjectContents& contents = demo.contents;
    contents.x_lines = DemoMeshLines(0, mesh[0]);
    contents.y_lines = DemoMeshLines(1, mesh[1]);
    contents.z_lines = DemoMeshLines(2, mesh[2]);
    const std::vector<double>& x = contents.x_lines;
    const std::vector<double>& y = contents.y_lines;
    const std::vector<double>& z = contents.z_lines;
    demo.materials = DemoMaterials();
    demo.element_materials = DemoElementMaterials(x, y, z);

    ProjectResult potential;
    potential.dataset_name = "potential";
    potential.tree_path = kDemoPotentialPath;
    potential.field_type = kDemoPotentialFieldType;
    potential.values = DemoPotential(x, y, z, demo.element_materials, demo.materials);
    contents.results.push_back(std::move(potential));

    for (const unsigned quantity : {kQuantityPermittivity, kQuantityDensity}) {
        contents.material_matrices[quantity] =
            DemoMaterialMatrix(x, y, z, demo.element_materials, demo.materials, quantity);
    }
    return demo;
}

}  // namespace brenwick
