#include "contours.h"

#include <array>
#include <cmath>

namespace brenwick::render {

namespace {

struct Corner {
    double u, v, value;
};

struct Crossing {
    bool crossed = false;
    double u = 0, v = 0;
};

Crossing CrossingOf(const Corner& a, const Corner& b, double level) {
    if ((a.value > level) == (b.value > level)) return {};
    const double t = (level - a.value) / (b.value - a.value);
    return {true, a.u + t * (b.u - a.u), a.v + t * (b.v - a.v)};
}

Segment Join(const Crossing& a, const Crossing& b) { return {a.u, a.v, b.u, b.v}; }

// The pieces in one cell, corners counter-clockwise from the lower left.
void CellSegments(const std::array<Corner, 4>& corners, double level, std::vector<Segment>& out) {
    // Edge e runs from corner e to corner e + 1: bottom, right, top, left.
    std::array<Crossing, 4> edges;
    int crossed = 0;
    for (int e = 0; e < 4; ++e) {
        edges[e] = CrossingOf(corners[e], corners[(e + 1) % 4], level);
        crossed += edges[e].crossed ? 1 : 0;
    }
    if (crossed == 2) {
        const Crossing* ends[2];
        int found = 0;
        for (const Crossing& edge : edges) {
            if (edge.crossed) ends[found++] = &edge;
        }
        out.push_back(Join(*ends[0], *ends[1]));
    } else if (crossed == 4) {
        const double centre = (corners[0].value + corners[1].value + corners[2].value + corners[3].value) / 4.0;
        if ((centre > level) == (corners[0].value > level)) {
            // The centre joins corners 0 and 2: corners 1 and 3 are cut off.
            out.push_back(Join(edges[0], edges[1]));
            out.push_back(Join(edges[2], edges[3]));
        } else {
            out.push_back(Join(edges[3], edges[0]));
            out.push_back(Join(edges[1], edges[2]));
        }
    }
}

}  // namespace

std::vector<Segment> ContourSegments(std::span<const double> u, std::span<const double> v, std::span<const float> values,
                                     double level) {
    std::vector<Segment> segments;
    const std::size_t nu = u.size();
    for (std::size_t j = 0; j + 1 < v.size(); ++j) {
        for (std::size_t i = 0; i + 1 < nu; ++i) {
            const std::array<Corner, 4> corners{{{u[i], v[j], values[i + nu * j]},
                                                 {u[i + 1], v[j], values[i + 1 + nu * j]},
                                                 {u[i + 1], v[j + 1], values[i + 1 + nu * (j + 1)]},
                                                 {u[i], v[j + 1], values[i + nu * (j + 1)]}}};
            bool finite = true;
            for (const Corner& corner : corners) finite = finite && std::isfinite(corner.value);
            if (finite) CellSegments(corners, level, segments);
        }
    }
    return segments;
}

}  // namespace brenwick::render
