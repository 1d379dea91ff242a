// The demo project of `brenwick-cli make-project`: a small gas detector whose export is known
// in advance.
//
// The detector (lengths in mm): a readout board at the bottom whose lower face is the grounded
// electrode, four polyimide pillars standing on the board in the gas, a ceramic spacer frame
// along the side walls from the board up to the cathode, and the cathode plane at the top.
// Every element's material is decided by where its centre lies; the material matrices are made
// from these decisions by inverting the element property formulas of the engine, so that an
// export matches every element to exactly its material, by permittivity and by density.
//
// Everything here is a pure function of the requested line counts, so tests can compare an
// export with the generator's own expectations without reading any file.
#ifndef BRENWICK_DEMO_PROJECT_H
#define BRENWICK_DEMO_PROJECT_H

#include "engine/engine_defaults.h"
#include "engine/materials/material_file.h"
#include "readers/hdf5/project_writer.h"

#include <array>
#include <cstddef>
#include <vector>

namespace brenwick {

// Mesh lines along x, y and z of the demo when no size is asked for.
inline constexpr std::array<int, 3> kDemoDefaultMesh{41, 33, 29};

// Tree path and field type under which the potential is stored.
inline constexpr const char* kDemoPotentialPath = kDefaultPotentialName;
inline constexpr int kDemoPotentialFieldType = BRENWICK_REAL_SCALAR_FIELD;

// Potential of the cathode plane (top z line); the lowest z line is grounded.
inline constexpr double kDemoCathodeVoltage = -1000.0;

// Material IDs of the demo catalogue.
enum DemoMaterialId : unsigned char {
    kDemoGas = 0,
    kDemoBoard = 1,
    kDemoPillar = 2,
    kDemoFrame = 3,
};

// Meshes with at most this many nodes get their potential relaxed around the pillars and the
// frame; larger ones keep the layered solution, so that big meshes stay quick to make.
inline constexpr std::size_t kDemoRelaxationNodeLimit = 200000;

struct DemoProject {
    ProjectContents contents;                      // mesh, potential, matrices for codes 0 and 3
    std::vector<Material> materials;               // the catalogue to write beside the project
    std::vector<unsigned char> element_materials;  // expected material byte per element
};

// The catalogue, gas first (ID 0, description "gas"), then board, pillars and frame.
std::vector<Material> DemoMaterials();

// The n mesh lines of axis 0 (x), 1 (y) or 2 (z): strictly increasing, graded so that the
// lines crowd near the pillars (x, y) and near the board surface (z). One line lies at 0.
std::vector<double> DemoMeshLines(int axis, int n);

// Material ID of the element whose centre is (x, y, z).
unsigned char DemoMaterialAt(double x, double y, double z);

// Material ID of every element, in element order.
std::vector<unsigned char> DemoElementMaterials(const std::vector<double>& x, const std::vector<double>& y,
                                                const std::vector<double>& z);

// Potential of every node, in node order: zero on the lowest z line, kDemoCathodeVoltage on
// the highest. Each node first gets the exact solution of the layered board and gas stack (the
// layers as the mesh resolves them); on meshes up to kDemoRelaxationNodeLimit nodes the
// interior is then relaxed so that the pillars and the frame bend the field.
std::vector<float> DemoPotential(const std::vector<double>& x, const std::vector<double>& y,
                                 const std::vector<double>& z,
                                 const std::vector<unsigned char>& element_materials,
                                 const std::vector<Material>& materials);

// Material matrix (x, y and z blocks of one value per node) for quantity code 0 or 3, chosen so
// that every component of every element converts back to the element's material eps (code 0)
// or rho_set (code 3). Nodes on the last line of an axis repeat their neighbour's values; a mesh
// without elements gets zeros. Throws std::invalid_argument for another code.
std::vector<float> DemoMaterialMatrix(const std::vector<double>& x, const std::vector<double>& y,
                                      const std::vector<double>& z, const std::vector<unsigned char>& element_materials,
                                      const std::vector<Material>& materials, unsigned quantity);

// The whole demo for nx, ny, nz mesh lines (each at least 1).
DemoProject MakeDemoProject(const std::array<int, 3>& mesh);

}  // namespace brenwick

#endif
