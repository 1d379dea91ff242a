// Round values for axes, colour bars and equipotential levels.
#ifndef BRENWICK_RENDER_TICKS_H
#define BRENWICK_RENDER_TICKS_H

#include <string>
#include <vector>

namespace brenwick::render {

struct Ticks {
    std::vector<double> values;  // ascending multiples of step within [low, high]
    double step = 0;             // 1, 2 or 5 times a power of ten
};

// About `target` round values from low to high (both ends included when they are round).
// Empty when the range is empty, its length is no finite number, or its ends lie so far from
// zero that round values a step apart cannot be told apart.
Ticks NiceTicks(double low, double high, int target);

// A tick value as text, with as many decimals as the step needs and never "-0".
std::string TickLabel(double value, double step);

}  // namespace brenwick::render

#endif
