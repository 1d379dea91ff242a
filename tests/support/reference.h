// The engine's formulas written out afresh from their definitions, apart from the engine's
// code: the inv factors of an element, the property its matrix values stand for, and the
// material it is matched to. Tests hold the engine, the demo generator and example projects
// to these.
#ifndef BRENWICK_TESTS_REFERENCE_H
#define BRENWICK_TESTS_REFERENCE_H

#include "engine/materials/material_file.h"

#include <array>
#include <cstddef>
#include <vector>

namespace reference {

// Edge length of the cell starting at line i, and the dual length around line i.
struct Lengths {
    double edge, dual;
};
Lengths LengthsAt(const std::vector<double>& lines, std::size_t i);

// The inv factors (x, y, z) of element (i, j, k). Quantities 0 and 2 divide by
// dual-over-primary factors, the others by primary-over-dual ones.
std::array<double, 3> InvFactors(const std::vector<double>& x, const std::vector<double>& y,
                                 const std::vector<double>& z, std::size_t i, std::size_t j, std::size_t k,
                                 unsigned quantity);

// The value a matrix component m stands for, freed of its inv factor: permittivity (0) and
// permeability (1) through their vacuum constants, codes 2 and 3 by division.
double NodeValue(double m, double inv, unsigned quantity);
// The matrix component whose NodeValue is `property`, for quantity 0 or 3.
float MatrixValue(double property, double inv, unsigned quantity);

// The property of every element, in element order: the root mean square of the three values
// of its lower corner node, rounded to float. `matrix` holds an x, a y and a z block of one
// value per node.
std::vector<float> ElementProperties(const std::vector<float>& matrix, const std::vector<double>& x,
                                     const std::vector<double>& y, const std::vector<double>& z,
                                     unsigned quantity);

// The byte of an ID: the low byte of its truncation, 0 for NaN and IDs beyond the 32-bit range.
unsigned char MaterialByte(float id);

// The material byte of every element, one element at a time: 0 for a property near zero (or
// infinite, by permittivity), else the nearest material by eps (quantity 0) or rho_set, where
// an ID-0 material also takes everything below half the smallest value of the others; ties
// go to the earlier material.
std::vector<unsigned char> AssignMaterials(const std::vector<float>& properties,
                                           const std::vector<Material>& catalogue, int quantity);

}  // namespace reference

#endif
