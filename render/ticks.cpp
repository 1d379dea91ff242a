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
    if (!std::isfinite(low) || !std::isfinite(high) || !(high > low) || target < 1) return ticks;
    ticks.step = NiceStep((high - low) / target);
    // A value within a millionth of a step of an end still counts as inside, despite rounding.
    const double slack = ticks.step * 1e-6;
    const double first = std::ceil((low - slack) / ticks.step);
    for (double n = first;; ++n) {
        const double value = n * ticks.step;
        if (value > high + slack) break;
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
