// The parts of a picture on their own: the colour map, the colours of records, round tick
// values, equipotential lines and where coordinates lie among mesh lines.
#include "render/colour_map.h"
#include "render/contours.h"
#include "render/material_colours.h"
#include "render/plot_area.h"
#include "render/ticks.h"

#include <gtest/gtest.h>
#include <QColor>

#include <cmath>
#include <limits>
#include <set>
#include <string>
#include <vector>

using namespace brenwick::render;

namespace {

TEST(ColourMap, RunsFromViridisDarkPurpleToYellowGettingLighterAllTheWay) {
    EXPECT_EQ(ColourMap(0), qRgb(0x44, 0x01, 0x54));
    EXPECT_EQ(ColourMap(1), qRgb(0xFD, 0xE7, 0x25));
    EXPECT_EQ(ColourMap(-3), ColourMap(0));
    EXPECT_EQ(ColourMap(7), ColourMap(1));
    // A perceptually uniform map rises in lightness (CIE L*) from end to end; a scrambled or
    // mistyped table would not. Entries two apart differ by about 0.3 in L*; single entries,
    // rounded to 8 bits, may tie.
    const auto lightness = [](QRgb rgb) {
        const auto linear = [](double c) { return c <= 0.04045 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4); };
        const QColor colour(rgb);
        const double y =
            0.2126 * linear(colour.redF()) + 0.7152 * linear(colour.greenF()) + 0.0722 * linear(colour.blueF());
        return y > 0.008856 ? 116 * std::cbrt(y) - 16 : 903.3 * y;
    };
    const auto entry = [](std::size_t n) { return ColourMap(static_cast<double>(n) / (kColourMapSize - 1)); };
    for (std::size_t n = 0; n + 2 < kColourMapSize; ++n) EXPECT_GT(lightness(entry(n + 2)), lightness(entry(n))) << n;
    EXPECT_NEAR(lightness(entry(0)), 14.9, 0.1);
    EXPECT_NEAR(lightness(entry(kColourMapSize - 1)), 90.9, 0.1);
}

// Many times more records than either table has colours, gases and solids mixed: still one
// colour each.
TEST(MaterialColours, EveryRecordHasItsOwnColourAndNoneIsTheWarningColour) {
    std::vector<brenwick::efm::MaterialRecord> records;
    for (int n = 0; n < 200; ++n) records.push_back({static_cast<float>(n), n % 7 == 0 ? "gas" : "solid"});
    const std::vector<QColor> colours = MaterialColours(records);
    ASSERT_EQ(colours.size(), records.size());
    std::set<QRgb> distinct;
    for (const QColor& colour : colours) distinct.insert(colour.rgb());
    EXPECT_EQ(distinct.size(), records.size());
    EXPECT_FALSE(distinct.contains(kNoRecordColour.rgb()));
    // The drift gas is drawn pale, so that the solids in it stand out.
    EXPECT_GT(colours[0].lightness(), colours[1].lightness());
}

TEST(Ticks, AreRoundValuesThatCoverTheRange) {
    struct Case {
        double low, high;
        int target;
        std::vector<double> values;
    };
    const std::vector<Case> cases{
        {0, 12, 5, {0, 2, 4, 6, 8, 10, 12}},
        {-1000, 0, 4, {-1000, -800, -600, -400, -200, 0}},
        {0.0013, 0.0091, 4, {0.002, 0.004, 0.006, 0.008}},
        {-0.35, 0.35, 3, {-0.2, 0, 0.2}},
    };
    for (const Case& c : cases) {
        const Ticks ticks = NiceTicks(c.low, c.high, c.target);
        ASSERT_EQ(ticks.values.size(), c.values.size()) << c.low << " " << c.high;
        for (std::size_t n = 0; n < c.values.size(); ++n) EXPECT_NEAR(ticks.values[n], c.values[n], 1e-12) << n;
    }
    EXPECT_TRUE(NiceTicks(1, 1, 5).values.empty());
    EXPECT_TRUE(NiceTicks(0, std::numeric_limits<double>::infinity(), 5).values.empty());
    // Ends whose distance is no double, and ends too far from zero for steps of their distance.
    EXPECT_TRUE(NiceTicks(-1e308, 1e308, 5).values.empty());
    for (const double value : NiceTicks(1e17, 1e17 + 32, 10).values) EXPECT_TRUE(value >= 1e17 && value <= 1e17 + 32);
}

TEST(Ticks, LabelsShowTheDecimalsOfTheStepAndNeverMinusZero) {
    EXPECT_EQ(TickLabel(-800, 200), "-800");
    EXPECT_EQ(TickLabel(0.25, 0.05), "0.25");
    EXPECT_EQ(TickLabel(0.004, 0.002), "0.004");
    EXPECT_EQ(TickLabel(-1e-17, 0.1), "0.0");
    EXPECT_EQ(TickLabel(-0.0, 1), "0");
    EXPECT_EQ(TickLabel(2.5e7, 5e6), "2.5e+07");
}

// Node values on lines u = {0, 1, 3}, v = {0, 2}, as a grid across-fastest.
TEST(Contours, LineOfALinearFieldRunsWhereTheValueIsTheLevel) {
    const std::vector<double> u{0, 1, 3}, v{0, 2};
    const std::vector<float> values{0, 1, 3, 0, 1, 3};  // the value is u
    const std::vector<Segment> segments = ContourSegments(u, v, values, 2.0);
    ASSERT_EQ(segments.size(), 1u);
    EXPECT_DOUBLE_EQ(segments[0].u0, 2.0);
    EXPECT_DOUBLE_EQ(segments[0].u1, 2.0);
    EXPECT_DOUBLE_EQ(std::min(segments[0].v0, segments[0].v1), 0.0);
    EXPECT_DOUBLE_EQ(std::max(segments[0].v0, segments[0].v1), 2.0);
    EXPECT_TRUE(ContourSegments(u, v, values, 5.0).empty());
}

// A saddle: corners high, low, high, low counter-clockwise from the lower left. Its mean
// decides which corners the lines cut off.
TEST(Contours, SaddleIsResolvedByTheMeanOfTheCorners) {
    const std::vector<double> u{0, 1}, v{0, 1};
    const auto near_corner = [](const Segment& s, double cu, double cv) {
        return std::abs(s.u0 - cu) + std::abs(s.v0 - cv) <= 1 && std::abs(s.u1 - cu) + std::abs(s.v1 - cv) <= 1;
    };
    // Mean 0.5 below the level 0.6: the high corners (0, 0) and (1, 1) are cut off.
    std::vector<Segment> segments = ContourSegments(u, v, std::vector<float>{1, 0, 0, 1}, 0.6);
    ASSERT_EQ(segments.size(), 2u);
    EXPECT_TRUE(near_corner(segments[0], 0, 0) || near_corner(segments[0], 1, 1));
    EXPECT_TRUE(near_corner(segments[1], 0, 0) || near_corner(segments[1], 1, 1));
    // Mean 0.5 above the level 0.4: the low corners (1, 0) and (0, 1) are cut off.
    segments = ContourSegments(u, v, std::vector<float>{1, 0, 0, 1}, 0.4);
    ASSERT_EQ(segments.size(), 2u);
    EXPECT_TRUE(near_corner(segments[0], 1, 0) || near_corner(segments[0], 0, 1));
    EXPECT_TRUE(near_corner(segments[1], 1, 0) || near_corner(segments[1], 0, 1));
}

TEST(Contours, CellsWithValuesThatAreNoNumbersHaveNoLine) {
    const std::vector<double> u{0, 1, 2}, v{0, 1};
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const std::vector<Segment> segments = ContourSegments(u, v, std::vector<float>{0, 1, nan, 0, 1, 2}, 0.5);
    ASSERT_EQ(segments.size(), 1u);
    EXPECT_DOUBLE_EQ(segments[0].u0, 0.5);
}

// Lines 0, 1, 3, 7: cells of widths 1, 2 and 4. A point on a line between two cells belongs
// to the lower one; points beyond the lines are clamped to the first or last line.
TEST(CellPositions, AreFoundOnAGradedMesh) {
    const std::vector<double> lines{0, 1, 3, 7};
    const std::vector<double> coordinates{-1, 0, 0.5, 1, 2, 3, 6, 7, 9};
    const std::vector<std::pair<std::size_t, double>> expected{{0, 0}, {0, 0},    {0, 0.5}, {0, 1}, {1, 0.5},
                                                               {1, 1}, {2, 0.75}, {2, 1},   {2, 1}};
    const std::vector<CellPosition> positions = CellPositions(lines, coordinates);
    ASSERT_EQ(positions.size(), expected.size());
    for (std::size_t n = 0; n < expected.size(); ++n) {
        EXPECT_EQ(positions[n].cell, expected[n].first) << "at " << coordinates[n];
        EXPECT_DOUBLE_EQ(positions[n].fraction, expected[n].second) << "at " << coordinates[n];
    }
    for (const CellPosition& position : CellPositions(std::vector<double>{5}, coordinates)) {
        EXPECT_EQ(position.cell, 0u);
        EXPECT_EQ(position.fraction, 0);
    }
}

}  // namespace
