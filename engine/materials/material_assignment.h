// Which catalogue material each mesh element is made of.
//
// An element gets the material whose matching value (eps, or rho_set in density mode) lies
// nearest to its property. A property that is practically zero, or infinite in permittivity
// mode, means "no material" (0). A material with ID 0 also takes every element whose property
// lies below half the smallest matching value of the materials with a non-zero ID.
#ifndef BRENWICK_MATERIAL_ASSIGNMENT_H
#define BRENWICK_MATERIAL_ASSIGNMENT_H

#include "engine/engine_defaults.h"
#include "engine/export_control.h"
#include "material_file.h"

#include <span>
#include <stop_token>
#include <vector>

namespace brenwick {

// The catalogue value an element's property is compared with: eps for the permittivity, rho_set
// for any other quantity code.
float MatchingValue(const Material& material, unsigned quantity);
// The name of that value's attribute in the material file: "eps" or "rho_set".
const char* MatchingAttribute(unsigned quantity);

// The smallest matching value among the materials with a non-zero ID; 0 when there is none.
float ThresholdReference(const std::vector<Material>& materials, unsigned quantity);

// The element material byte of an ID: truncated toward zero to a 32-bit integer, low eight
// bits kept (3.9 -> 3, 300 -> 44, -1 -> 255). An ID that is NaN or outside the 32-bit range
// gives 0, the low byte of the integer that x86 processors produce for such a conversion.
unsigned char MaterialByte(float id);

// Why an export without materials in its catalogue cannot give its elements a material.
inline constexpr const char* kEmptyCatalogue =
    "AssignElementMaterials: Error. The material file lists no materials, but elements of the project need one.";

// Fills materials_of_elements, which has as many bytes as there are properties, with one byte
// per element. Throws MaterialFileError kEmptyCatalogue when an element must be matched
// against an empty catalogue. The elements are shared between WorkerCount() threads; a request
// to stop ends the loop with ExportCancelled; `progress` follows it as ParallelFor tells it.
void AssignMaterials(std::span<const float> properties, const std::vector<Material>& materials, unsigned quantity,
                     std::span<unsigned char> materials_of_elements, const std::stop_token& stop = {},
                     const WorkProgress& progress = {});

}  // namespace brenwick

#endif
