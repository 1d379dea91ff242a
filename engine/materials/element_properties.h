// The material property of mesh elements, derived from the project's material matrix.
//
// The matrix holds three values per node (x, y and z component) in which the material is
// mixed with the mesh geometry. An element's property comes from its lower corner node:
// each component is freed of the geometry with the element's inv factor, converted into the
// quantity, and the three are reduced to their root mean square.
#ifndef BRENWICK_ELEMENT_PROPERTIES_H
#define BRENWICK_ELEMENT_PROPERTIES_H

#include "engine/engine_defaults.h"
#include "engine/export_control.h"
#include "engine/project/mesh_geometry.h"

#include <array>
#include <cstddef>
#include <stop_token>

namespace brenwick {

// The vacuum permittivity (F/m) that code 0 divides out of the matrix values.
inline constexpr double kVacuumPermittivity = 8.85418782e-12;

// Codes 0 and 2 divide by the dual-over-primary factors, the others by primary-over-dual.
constexpr bool UsesDualOverPrimary(unsigned quantity) { return quantity == kQuantityPermittivity || quantity == 2; }

// The value of the node whose matrix components are m (x, y, z), with the element's inv factors.
// Codes above 3 are unsupported and give -99999 on every component.
std::array<double, 3> ConvertNodeValues(const std::array<double, 3>& m, const InvFactors& inv, unsigned quantity);

// sqrt((vx^2 + vy^2 + vz^2) / 3) in double precision, rounded to float.
float RootMeanSquare(const std::array<double, 3>& values);

// Fills properties[0 .. E) with the property of every element, in element order.
// `matrix` holds 3 * efm::NodeCount(dims) values. The elements are shared between WorkerCount()
// threads; every element is computed exactly as on one thread. A request to stop ends the
// loop with ExportCancelled; `progress` follows it as ParallelFor tells it.
void ComputeElementProperties(const float* matrix, const std::array<int, 3>& dims, const AxisLines& lines,
                              unsigned quantity, float* properties, const std::stop_token& stop = {},
                              const WorkProgress& progress = {});

// The element layers [first, end): the elements whose lower corner lies in node planes first
// to end - 1 (k, along z).
struct ElementLayers {
    std::size_t first = 0;
    std::size_t end = 0;
};

// Fills the properties of the elements of `layers` in `properties` (the array of all elements,
// in element order), exactly as ComputeElementProperties does. `planes` holds the matrix values
// of node planes layers.first to layers.end - 1 only: the x components of those planes, then
// the y, then the z, each in node order. Runs on the calling thread: the callers share the
// layers between their threads.
void ComputeElementLayers(const float* planes, const ElementLayers& layers, const std::array<int, 3>& dims,
                          const AxisLines& lines, unsigned quantity, float* properties);

}  // namespace brenwick

#endif
