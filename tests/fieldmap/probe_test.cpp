// Probing points: the element a point belongs to, its material, and the trilinear potential
// and field, checked against the node values, the corner means and finite differences.
#include "fieldmap/probe.h"
#include "small_map.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <stdexcept>

using namespace brenwick;
using small_map::ForEachIndex;
using small_map::MemoryFile;
using small_map::SmallMap;

namespace {

std::vector<fieldmap::ProbeResult> Probe(const efm::Blocks& blocks, const std::vector<fieldmap::Point>& points) {
    MemoryFile file(blocks);
    return fieldmap::ProbePoints(file.reader(), points);
}

TEST(Probe, AtEveryNodeGivesTheNodeValue) {
    const SmallMap map;
    std::vector<fieldmap::Point> points;
    std::vector<float> expected;
    ForEachIndex({4, 3, 3}, [&](std::size_t i, std::size_t j, std::size_t k) {
        points.push_back({map.x[i], map.y[j], map.z[k]});
        expected.push_back(map.nodes[map.Node(i, j, k)]);
    });
    const std::vector<fieldmap::ProbeResult> results = Probe(map.Blocks(), points);
    for (std::size_t n = 0; n < points.size(); ++n) {
        ASSERT_TRUE(results[n].inside) << n;
        EXPECT_DOUBLE_EQ(results[n].potential, expected[n]) << n;
    }
}

TEST(Probe, AtEveryElementCentreGivesTheMeanOfItsCorners) {
    const SmallMap map;
    std::vector<fieldmap::Point> points;
    std::vector<double> expected;
    ForEachIndex({3, 2, 2}, [&](std::size_t i, std::size_t j, std::size_t k) {
        points.push_back({(map.x[i] + map.x[i + 1]) / 2, (map.y[j] + map.y[j + 1]) / 2, (map.z[k] + map.z[k + 1]) / 2});
        double sum = 0;
        for (std::size_t c = 0; c < 8; ++c) sum += map.nodes[map.Node(i + (c & 1), j + ((c >> 1) & 1), k + (c >> 2))];
        expected.push_back(sum / 8);
    });
    const std::vector<fieldmap::ProbeResult> results = Probe(map.Blocks(), points);
    for (std::size_t n = 0; n < points.size(); ++n) EXPECT_NEAR(results[n].potential, expected[n], 1e-9) << n;
}

// Within an element the interpolation is linear along each axis, so a central difference
// inside the element is its derivative up to rounding.
TEST(Probe, FieldIsMinusTheGradientOfThePotential) {
    const SmallMap map;
    const std::vector<fieldmap::Point> points{{0.3, -0.6, 0.1}, {2.2, 1.1, 1.3}, {3.9, 0.4, 0.7}, {1.5, -0.2, 1.9}};
    const double h = 1e-4;
    std::vector<fieldmap::Point> shifted;
    for (const fieldmap::Point& p : points) {
        for (std::size_t a = 0; a < 3; ++a) {
            for (const double step : {h, -h}) {
                fieldmap::Point q = p;
                q[a] += step;
                shifted.push_back(q);
            }
        }
    }
    const std::vector<fieldmap::ProbeResult> results = Probe(map.Blocks(), points);
    const std::vector<fieldmap::ProbeResult> around = Probe(map.Blocks(), shifted);
    for (std::size_t n = 0; n < points.size(); ++n) {
        for (std::size_t a = 0; a < 3; ++a) {
            const double difference = -(around[6 * n + 2 * a].potential - around[6 * n + 2 * a + 1].potential) / (2 * h);
            EXPECT_NEAR(results[n].field[a], difference, 1e-6 * (1 + std::abs(difference))) << n << " axis " << a;
        }
    }
}

TEST(Probe, LinearPotentialGivesItsValueAndItsFieldExactlyEverywhere) {
    SmallMap map;
    const auto linear = [](double x, double y, double z) { return 10 + 2 * x - 3 * y + 0.5 * z; };
    ForEachIndex({4, 3, 3}, [&](std::size_t i, std::size_t j, std::size_t k) {
        map.nodes[map.Node(i, j, k)] = static_cast<float>(linear(map.x[i], map.y[j], map.z[k]));
    });
    const std::vector<fieldmap::Point> points{{0.25, -0.5, 0.125}, {3, 2, 2}, {1.75, 1, 1}, {3.5, -1, 0.75}};
    const std::vector<fieldmap::ProbeResult> results = Probe(map.Blocks(), points);
    for (std::size_t n = 0; n < points.size(); ++n) {
        EXPECT_NEAR(results[n].potential, linear(points[n][0], points[n][1], points[n][2]), 1e-12) << n;
        EXPECT_NEAR(results[n].field[0], -2, 1e-12) << n;
        EXPECT_NEAR(results[n].field[1], 3, 1e-12) << n;
        EXPECT_NEAR(results[n].field[2], -0.5, 1e-12) << n;
    }
}

TEST(Probe, FacesBelongToTheLowerElementAndPointsBeyondTheMeshAreOutside) {
    const SmallMap map;
    const double nan = std::numeric_limits<double>::quiet_NaN();
    struct Case {
        fieldmap::Point point;
        bool inside;
        std::array<std::size_t, 3> element;
    };
    const std::vector<Case> cases{
        {{0, -1, 0}, true, {0, 0, 0}},         // first lines: the first element
        {{1, 0, 0.5}, true, {0, 0, 0}},        // on faces between elements: the lower one
        {{1.0001, 0.0001, 0.5001}, true, {1, 1, 1}},
        {{3, 2, 2}, true, {1, 1, 1}},          // last lines: the last element
        {{4, 2, 2}, true, {2, 1, 1}},
        {{4.0001, 0, 1}, false, {}},
        {{2, -1.0001, 1}, false, {}},
        {{2, 0, 2.5}, false, {}},
        {{nan, 0, 1}, false, {}},
    };
    std::vector<fieldmap::Point> points;
    for (const Case& c : cases) points.push_back(c.point);
    const std::vector<fieldmap::ProbeResult> results = Probe(map.Blocks(), points);
    for (std::size_t n = 0; n < cases.size(); ++n) {
        EXPECT_EQ(results[n].inside, cases[n].inside) << n;
        if (cases[n].inside) {
            EXPECT_EQ(results[n].element, cases[n].element) << n;
        }
    }
}

TEST(Probe, MaterialIsTheRecordAtTheElementsBytePosition) {
    const SmallMap map;
    // Elements 0, 1 and 2 (along x) have the bytes 0, 1 and 2; there are two records.
    const std::vector<fieldmap::ProbeResult> results = Probe(map.Blocks(), {{0.5, -0.5, 0.2}, {2, -0.5, 0.2}, {3.5, -0.5, 0.2}});
    ASSERT_EQ(results[0].material_index, 0u);
    EXPECT_EQ(results[0].material->description, "gas");
    ASSERT_EQ(results[1].material_index, 1u);
    EXPECT_EQ(results[1].material->id, 7.0f);
    EXPECT_EQ(results[1].material->description, "FR4");
    ASSERT_EQ(results[2].material_index, 2u);
    EXPECT_FALSE(results[2].material.has_value());
}

TEST(Probe, FileOfPotentialsOnlyHasNoCoordinatesToProbe) {
    const SmallMap map;
    EXPECT_THROW(Probe(map.Blocks(true), {{0, 0, 0}}), std::invalid_argument);
}

}  // namespace
