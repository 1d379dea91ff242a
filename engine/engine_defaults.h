// The values the engine starts from and that its front ends offer: the quantity codes of
// material_quantity and the tree path under which a project stores its potential.
#ifndef BRENWICK_ENGINE_DEFAULTS_H
#define BRENWICK_ENGINE_DEFAULTS_H

namespace brenwick {

// Quantity codes, the values of CST_Readout::material_quantity: which property of the project's
// material matrix decides an element's material. The member is an int that front ends assign;
// the engine takes every code as unsigned, so a negative one is unsupported like those above 3.
inline constexpr unsigned kQuantityPermittivity = 0;  // relative permittivity, the default
inline constexpr unsigned kQuantityDensity = 3;       // density rho

// Whether the engine converts a quantity code's matrix values: the codes up to the density's
// (1 permeability and 2 are the result reader's); the others give every element 99999.
constexpr bool SupportedQuantity(unsigned quantity) { return quantity <= kQuantityDensity; }

// Project tree path of the potential result of a new readout.
inline constexpr const char* kDefaultPotentialName = "2D/3D Results\\Potentials";

}  // namespace brenwick

#endif
