// The colour map of potential pictures: viridis, perceptually uniform, readable in grey and by
// colour-blind viewers, from dark purple (low) to yellow (high).
#ifndef BRENWICK_RENDER_COLOUR_MAP_H
#define BRENWICK_RENDER_COLOUR_MAP_H

#include <QRgb>

#include <cstddef>

namespace brenwick::render {

inline constexpr std::size_t kColourMapSize = 256;

// The entry nearest to t, for t from 0 (the low end) to 1 (the high end); t outside is clamped.
// NaN must not be passed.
QRgb ColourMap(double t);

}  // namespace brenwick::render

#endif
