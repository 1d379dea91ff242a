#include "ticks.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace brenwick::render {

namespace {

double NiceStep(double raw) {
    const double magnitude = std::pow(10.0, std::floor(std::log10(raw)));
    const double normalised = raw / magnitude;
    const double nice = normalised < 1.5 ? 1.0 : normalised < 3.0 ? 2.0 : normalised < 7.0 ? 5.0 : 10.0;
    return nice * magnitude;
}

}  // namespace

Ticks NiceTicks(double low, double high, int target) {
    Ticks ticks;
    // A length beyond the doubles (-1e308 to 1e308) has no step.
    if (!std::isfinite(high - low) || !(high > low) || target < 1) return ticks;
    ticks.step = NiceStep((high - low) / target);
    // A value within a millionth of a step of an end still counts as inside, despite rounding.
    const double slack = ticks.step * 1e-6;
    const double first = std::ceil((low - slack) / ticks.step);
    const double last = std::floor((high + slack) / ticks.step);
    // The step is at least two thirds of (high - low) / target, so there are at most 1.5 target
    // + 1 ticks. More, or none to count, means that the step underflowed or that the ends lie
    // so far from zero that the multiples of the step there are no longer apart as doubles:
    // then there are no round values to show. Short of that (1e17 to 1e17 + 32), multiples
    // that come out equal are shown once.
    const double count = last - first;
    if (!(count >= 0 && count <= 2.0 * target + 2)) return Ticks{};
    for (double n = 0; n <= count; ++n) {
        const double value = (first + n) * ticks.step;
        if (value > high + slack) break;
        if (!ticks.values.empty() && !(value > ticks.values.back())) continue;
        ticks.values.push_back(std::abs(value) < slack ? 0.0 : value);
    }
    return ticks;
}

std::string TickLabel(double value, double step) {
    const double largest = std::max(std::abs(value), step);
    char text[64];
    if (step >= 1e-4 && largest < 1e7) {
        const int decimals = std::max(0, static_cast<int>(-std::floor(std::log10(step) + 1e-9)));
        std::snprintf(text, sizeof text, "%.*f", decimals, value);
    } else {
        std::snprintf(text, sizeof text, "%.3g", value);
    }
    std::string label(text);
    // A value that rounds to zero from below prints as "-0" or "-0.00".
    if (label.front() == '-' && label.find_first_not_of("-0.") == std::string::npos) label.erase(0, 1);
    return label;
}

}  // namespace brenwick::render
