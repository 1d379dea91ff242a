// The values the engine starts from and that its front ends offer: the quantity codes of
// material_quantity and the tree path under which a project stores its potential.
#ifndef BRENWICK_ENGINE_DEFAULTS_H
#define BRENWICK_ENGINE_DEFAULTS_H

namespace brenwick {

// Values of CST_Readout::material_quantity: which property decides an element's material.
inline constexpr int kQuantityPermittivity = 0;  // relative permittivity, the default
inline constexpr int kQuantityDensity = 3;       // density rho

// Project tree path of the potential result of a new readout.
inline constexpr const char* kDefaultPotentialName = "2D/3D Results\\Potentials";

}  // namespace brenwick

#endif
