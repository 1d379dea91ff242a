// The inv factors of a mesh element written out from their definition, apart from the
// engine's code, for tests that check the engine's properties or build matrices for them.
#ifndef BRENWICK_TESTS_REFERENCE_INV_H
#define BRENWICK_TESTS_REFERENCE_INV_H

#include <array>
#include <cstddef>
#include <vector>

namespace reference {

// Edge length of the cell starting at line i, and the dual length around line i.
struct Lengths {
    double edge, dual;
};

inline Lengths LengthsAt(const std::vector<double>& lines, std::size_t i) {
    const double edge = lines[i + 1] - lines[i];
    return {edge, i == 0 ? edge * 0.5 : (lines[i] - lines[i - 1]) * 0.5 + edge * 0.5};
}

// Permittivity (quantity 0) divides by dual-over-primary factors, density (3) by primary-over-dual.
inline std::array<double, 3> InvFactors(const std::vector<double>& x, const std::vector<double>& y,
                                        const std::vector<double>& z, std::size_t i, std::size_t j, std::size_t k,
                                        unsigned quantity) {
    const Lengths lx = LengthsAt(x, i), ly = LengthsAt(y, j), lz = LengthsAt(z, k);
    if (quantity == 0) {
        return {lz.dual * ly.dual / lx.edge, lz.dual * lx.dual / ly.edge, ly.dual * lx.dual / lz.edge};
    }
    return {lz.edge * ly.edge / lx.dual, lz.edge * lx.edge / ly.dual, ly.edge * lx.edge / lz.dual};
}

}  // namespace reference

#endif
