// Pictures of the demo detector's export, checked pixel by pixel: materials in their legend
// colours at their real places, the electrodes at the ends of the colour map, the values of the
// equipotential lines where they hide nothing; and pictures of slices made by hand: the
// legend's entries, the equipotential levels and degenerate planes.
#include "render/slice_picture.h"
#include "fieldmap/mesh_axis.h"
#include "fieldmap/slice.h"
#include "render/colour_map.h"
#include "render/contours.h"
#include "render/material_colours.h"
#include "tests/support/demo_export.h"
#include "tests/support/test_files.h"

#include <gtest/gtest.h>
#include <QColor>
#include <QLineF>

#include <algorithm>
#include <cmath>
#include <functional>
#include <string>
#include <utility>
#include <vector>

using namespace brenwick;

namespace {

using test_files::TempDir;

double Distance(QRgb a, QRgb b) {
    return std::abs(qRed(a) - qRed(b)) + std::abs(qGreen(a) - qGreen(b)) + std::abs(qBlue(a) - qBlue(b));
}

// The demo's mesh (x from 0 to 12, y from 0 to 9, z from 0 to 5, in mm): the board fills z
// below 0.8, a frame 1 wide stands on it along the side walls, the cathode (-1000 V) is the
// top plane and the board's lower face (0 V) the bottom one.
class DemoPicture : public testing::Test {
protected:
    static constexpr unsigned kGas = 0, kBoard = 1, kFrame = 3;

    fieldmap::Slice Slice(const test_files::TempDir& dir, const test_efm::MapContents& contents,
                          fieldmap::SliceRequest request, bool only_potentials = false) const {
        test_efm::Write(dir / "demo.efm", contents.Blocks(only_potentials));
        efm::FileReader reader(dir / "demo.efm");
        return fieldmap::ReadSlice(reader, request);
    }

    // The pixel at the centre of the element that holds (u, v) in the plane.
    static QPoint ElementCentre(const fieldmap::Slice& slice, const render::PlotArea& plot, double u, double v) {
        const std::size_t i = *fieldmap::CellOf(slice.lines[0], u), j = *fieldmap::CellOf(slice.lines[1], v);
        const QPointF centre = plot.ToPixel((slice.lines[0][i] + slice.lines[0][i + 1]) / 2,
                                            (slice.lines[1][j] + slice.lines[1][j + 1]) / 2);
        return {static_cast<int>(std::floor(centre.x())), static_cast<int>(std::floor(centre.y()))};
    }

    TempDir dir;
    const test_efm::MapContents demo = test_efm::DemoExport({41, 33, 29});
};

TEST_F(DemoPicture, ElementsHaveTheColourOfTheirRecordInTheLegend) {
    const fieldmap::Slice slice = Slice(dir, demo, {efm::Axis::y, 4.5, std::nullopt});
    const render::SlicePicture picture = render::RenderSlice(slice, "demo.efm", {1400, 900});
    ASSERT_TRUE(picture.materials.has_value());
    const QImage& image = picture.image;
    EXPECT_EQ(image.pixel(ElementCentre(slice, *picture.materials, 6, 0.4)), picture.material_colours[kBoard].rgb());
    EXPECT_EQ(image.pixel(ElementCentre(slice, *picture.materials, 6, 3)), picture.material_colours[kGas].rgb());
    EXPECT_EQ(image.pixel(ElementCentre(slice, *picture.materials, 0.5, 3)), picture.material_colours[kFrame].rgb());
    EXPECT_EQ(image.pixel(ElementCentre(slice, *picture.materials, 11.5, 3)), picture.material_colours[kFrame].rgb());
}

// The frame ends at a mesh line; the colour changes from frame to gas at that line's pixel,
// wherever the non-uniform mesh puts it.
TEST_F(DemoPicture, CellsKeepTheirRealWidths) {
    const fieldmap::Slice slice = Slice(dir, demo, {efm::Axis::y, 4.5, std::nullopt});
    const render::SlicePicture picture = render::RenderSlice(slice, "demo.efm", {1400, 900});
    const render::PlotArea& plot = *picture.materials;
    const std::vector<double>& x = slice.lines[0];
    const std::size_t first_gas = *fieldmap::CellOf(x, 1.2);
    ASSERT_GT(first_gas, 0u);
    const double boundary = plot.ToPixel(x[first_gas], 0).x();
    const int row = ElementCentre(slice, plot, 6, 3).y();
    // Bounded by the plot, so that a picture without gas fails instead of searching for ever.
    const QRgb gas = picture.material_colours[kGas].rgb();
    int change = plot.pixels().left();
    while (change <= plot.pixels().right() && picture.image.pixel(change, row) != gas) ++change;
    EXPECT_LE(std::abs(change - boundary), 1.5) << "gas from pixel " << change << ", line at " << boundary;
}

TEST_F(DemoPicture, ElectrodesHaveTheEndColoursOfTheMap) {
    const fieldmap::Slice slice = Slice(dir, demo, {efm::Axis::y, 4.5, std::nullopt});
    const render::SlicePicture picture = render::RenderSlice(slice, "demo.efm", {1400, 900});
    EXPECT_DOUBLE_EQ(picture.potential.colours.low, -1000);
    EXPECT_DOUBLE_EQ(picture.potential.colours.high, 0);
    const QRect& box = picture.potential.plot.pixels();
    const int middle = box.left() + box.width() / 2;
    // Neighbouring entries of the map differ by a few units of each colour component.
    const double tolerance = Distance(render::ColourMap(0), render::ColourMap(3.0 / 255));
    EXPECT_LE(Distance(picture.image.pixel(middle, box.top()), render::ColourMap(0)), tolerance);
    EXPECT_LE(Distance(picture.image.pixel(middle, box.top() + box.height() - 1), render::ColourMap(1)), tolerance);
    EXPECT_FALSE(picture.potential.levels.empty());
}

TEST_F(DemoPicture, BytesThatNameNoRecordStandOutInTheWarningColour) {
    test_efm::MapContents odd = demo;
    const fieldmap::Slice plain = Slice(dir, demo, {efm::Axis::z, std::nullopt, 20});
    // Every element of the layer the plane belongs to gets a byte beyond the four records.
    const std::size_t layer = static_cast<std::size_t>(*plain.element_layer);
    std::fill_n(odd.bytes.begin() + static_cast<std::ptrdiff_t>(layer * 40 * 32), 40 * 32, 9);
    const fieldmap::Slice slice = Slice(dir, odd, {efm::Axis::z, std::nullopt, 20});
    const render::SlicePicture picture = render::RenderSlice(slice, "odd.efm", {1400, 900});
    EXPECT_EQ(picture.image.pixel(ElementCentre(slice, *picture.materials, 6, 4.5)), render::kNoRecordColour.rgb());
    for (const QColor& colour : picture.material_colours) EXPECT_NE(colour, render::kNoRecordColour);
}

TEST_F(DemoPicture, FileOfPotentialsOnlyGetsThePotentialAloneOnItsIndexGrid) {
    const fieldmap::Slice slice = Slice(dir, demo, {efm::Axis::z, std::nullopt, 14}, true);
    const render::SlicePicture picture = render::RenderSlice(slice, "weighting.efm", {1400, 900});
    EXPECT_FALSE(picture.materials.has_value());
    EXPECT_DOUBLE_EQ(picture.potential.plot.across().high, 40);
    EXPECT_GT(picture.potential.plot.pixels().width(), 700);
}

TEST_F(DemoPicture, FittedSizeFollowsTheShapeOfTheSlice) {
    const QSize flat = render::FittedPictureSize(Slice(dir, demo, {efm::Axis::y, 4.5, std::nullopt}));
    const QSize wide = render::FittedPictureSize(Slice(dir, demo, {efm::Axis::z, 2.0, std::nullopt}));
    EXPECT_EQ(flat.width(), render::kDefaultPictureWidth);
    EXPECT_LT(flat.height(), wide.height());
    EXPECT_THROW(render::RenderSlice(Slice(dir, demo, {}), "demo.efm", {100, 100}), std::invalid_argument);
}

// Whether the piece of line passes through `place`, sampled finely enough for pieces within
// one cell of a picture.
bool Crosses(const QLineF& piece, const QRectF& place) {
    constexpr int kSamples = 64;
    for (int n = 0; n <= kSamples; ++n) {
        if (place.contains(piece.pointAt(static_cast<double>(n) / kSamples))) return true;
    }
    return false;
}

// Each label stands on a line of its own level, inside the plot, and covers no other label and
// no line of another level; where the lines leave room, most levels have one.
TEST_F(DemoPicture, ContourLabelsStandOnTheirLinesAndHideNoOtherLineOrLabel) {
    const struct {
        fieldmap::SliceRequest request;
        QSize size;
        bool roomy;  // text of its base size on a large picture: lines far enough apart for labels
    } cases[] = {{{efm::Axis::z, 2.0, std::nullopt}, {480, 240}, false},
                 {{efm::Axis::y, 4.5, std::nullopt}, {480, 240}, false},
                 {{efm::Axis::z, 2.0, std::nullopt}, {2800, 1800}, true},
                 {{efm::Axis::y, 4.5, std::nullopt}, {2800, 1800}, true}};
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << fieldmap::AxisName(c.request.axis) << " plane, " << c.size.width() << " x "
                                        << c.size.height());
        const fieldmap::Slice slice = Slice(dir, demo, c.request);
        const render::SlicePicture picture =
            render::RenderSlice(slice, "demo.efm", c.size, c.roomy ? std::optional(1.0) : std::nullopt);
        const render::PotentialPanel& panel = picture.potential;
        std::vector<std::vector<QLineF>> pieces;
        for (const double level : panel.levels) {
            pieces.emplace_back();
            for (const render::Segment& s :
                 render::ContourSegments(slice.lines[0], slice.lines[1], slice.potential, level))
                pieces.back().emplace_back(panel.plot.ToPixel(s.u0, s.v0), panel.plot.ToPixel(s.u1, s.v1));
        }
        for (std::size_t n = 0; n < panel.labels.size(); ++n) {
            const render::ContourLabel& label = panel.labels[n];
            ASSERT_LT(label.level, pieces.size());
            EXPECT_TRUE(QRectF(panel.plot.pixels()).contains(label.place)) << "label " << n;
            EXPECT_TRUE(std::any_of(
                pieces[label.level].begin(), pieces[label.level].end(),
                [&](const QLineF& piece) { return QLineF(piece.center(), label.place.center()).length() < 0.5; }))
                << "label " << n << " is not on its line";
            for (std::size_t other = 0; other < panel.labels.size(); ++other) {
                if (other != n) {
                    EXPECT_FALSE(label.place.intersects(panel.labels[other].place)) << n << ", " << other;
                }
            }
            for (std::size_t level = 0; level < pieces.size(); ++level) {
                if (level == label.level) continue;
                for (const QLineF& piece : pieces[level])
                    ASSERT_FALSE(Crosses(piece, label.place)) << "label " << n << " covers a line of level " << level;
            }
        }
        if (c.roomy) {
            EXPECT_GE(2 * panel.labels.size(), panel.levels.size());
        }
    }
}

// A window that shows the title itself gets a picture whose plots take the title's room.
TEST_F(DemoPicture, PictureWithoutItsTitleLineGivesItsRoomToThePlots) {
    const fieldmap::Slice slice = Slice(dir, demo, {efm::Axis::z, std::nullopt, 14});
    const QSize size(1200, 300);
    const render::SlicePicture with = render::RenderSlice(slice, "demo.efm", size, 1.0);
    const render::SlicePicture without = render::RenderSlice(slice, "demo.efm", size, 1.0, render::TitleLine::left_out);
    EXPECT_EQ(without.title, with.title);
    EXPECT_GT(without.potential.plot.pixels().height(), with.potential.plot.pixels().height());
    EXPECT_LT(without.potential.plot.pixels().top(), with.potential.plot.pixels().top());
}

// A slice made by hand may hold what no file that a reader accepts can: the picture refuses it
// instead of reading outside its arrays.
TEST_F(DemoPicture, SlicesThatCannotBeDrawnAreRefused) {
    const fieldmap::Slice good = Slice(dir, demo, {efm::Axis::z, std::nullopt, 14});
    const std::vector<std::function<void(fieldmap::Slice&)>> faults{
        [](fieldmap::Slice& s) { std::reverse(s.lines[0].begin(), s.lines[0].end()); },
        [](fieldmap::Slice& s) { s.lines[0].front() = std::nan(""); },
        [](fieldmap::Slice& s) { s.lines[1].back() = HUGE_VAL; },
        [](fieldmap::Slice& s) { s.lines[1].front() = -1e308, s.lines[1].back() = 1e308; },
        [](fieldmap::Slice& s) { s.potential.pop_back(); },
        [](fieldmap::Slice& s) { s.materials.pop_back(); },
    };
    for (std::size_t n = 0; n < faults.size(); ++n) {
        fieldmap::Slice slice = good;
        faults[n](slice);
        EXPECT_THROW(render::FittedPictureSize(slice), std::invalid_argument) << n;
        EXPECT_THROW(render::RenderSlice(slice, "demo.efm", {1400, 900}), std::invalid_argument) << n;
    }
}

// A plane across z with lines `across` and `up`, the potential the sum of the two coordinates,
// and one element layer with `materials` naming `records`.
fieldmap::Slice HandMadeSlice(std::vector<double> across, std::vector<double> up,
                              std::vector<efm::MaterialRecord> records, std::vector<unsigned char> materials) {
    fieldmap::Slice slice;
    slice.planes = 2;
    slice.has_mesh = true;
    slice.plane_axes = {efm::Axis::x, efm::Axis::y};
    for (const double v : up) {
        for (const double u : across) slice.potential.push_back(static_cast<float>(u + v));
    }
    slice.lines = {std::move(across), std::move(up)};
    if (!materials.empty()) slice.element_layer = 0;
    slice.materials = std::move(materials);
    slice.records = std::move(records);
    return slice;
}

// Whether `colour` fills some pixel between the left and right edges of `image`.
bool Shows(const QImage& image, int left, int right, const QColor& colour) {
    for (int y = 0; y < image.height(); ++y) {
        for (int x = left; x < right; ++x) {
            if (image.pixel(x, y) == colour.rgb()) return true;
        }
    }
    return false;
}

// Every record has a swatch while all fit; of a catalogue too long for the legend, the records
// the layer holds keep theirs; a byte without record has the warning swatch.
TEST(SliceLegend, ShowsTheRecordsTheLayerNeeds) {
    std::vector<efm::MaterialRecord> few{{0, "gas", 1, 1, 0}, {1, "FR4", 4, 1, 0}, {2, "copper", 1, 1, 0}};
    std::vector<efm::MaterialRecord> many;
    for (int n = 0; n < 250; ++n) many.push_back({static_cast<float>(n), "solid " + std::to_string(n), 2, 1, 0});
    struct Case {
        std::vector<efm::MaterialRecord> records;
        std::vector<unsigned char> materials;
        std::vector<std::size_t> shown;  // records with a swatch
        bool warning;
    };
    for (const Case& c : {Case{few, {0, 1, 0, 0}, {0, 1, 2}, false}, Case{many, {3, 240, 3, 3}, {3, 240}, false},
                          Case{few, {0, 7, 1, 0}, {0, 1, 2}, true}}) {
        SCOPED_TRACE(testing::Message() << c.records.size() << " records");
        const fieldmap::Slice slice = HandMadeSlice({0, 1, 2}, {0, 1, 2}, c.records, c.materials);
        const render::SlicePicture picture = render::RenderSlice(slice, "hand.efm", {1400, 700});
        ASSERT_TRUE(picture.materials.has_value());
        const int left = picture.materials->pixels().right() + 1, right = picture.potential.plot.pixels().left();
        ASSERT_EQ(picture.material_colours.size(), c.records.size());
        for (const std::size_t record : c.shown) {
            EXPECT_TRUE(Shows(picture.image, left, right, picture.material_colours[record])) << "record " << record;
        }
        EXPECT_EQ(Shows(picture.image, left, right, render::kNoRecordColour), c.warning);
    }
}

// About ten round levels, evenly spaced and strictly between the lowest and highest value, so
// that no line traces an electrode; a plane of one value has none and is drawn without fault.
TEST(SliceContours, LevelsAreRoundAndStrictlyInsideTheRange) {
    fieldmap::Slice slice = HandMadeSlice({-1000, -400, 0}, {0, 5}, {}, {});
    render::SlicePicture picture = render::RenderSlice(slice, "hand.efm", {1400, 700});
    const std::vector<double>& levels = picture.potential.levels;
    ASSERT_GE(levels.size(), 5u);
    EXPECT_LE(levels.size(), 15u);
    EXPECT_GT(levels.front(), -1000);
    EXPECT_LT(levels.back(), 5);
    const double step = levels[1] - levels[0];
    for (std::size_t n = 0; n < levels.size(); ++n) {
        EXPECT_DOUBLE_EQ(levels[n], levels[0] + static_cast<double>(n) * step);
        EXPECT_DOUBLE_EQ(std::remainder(levels[n], step), 0) << levels[n];
    }

    std::fill(slice.potential.begin(), slice.potential.end(), 42.0f);
    picture = render::RenderSlice(slice, "flat.efm", {1400, 700});
    EXPECT_TRUE(picture.potential.levels.empty());
    EXPECT_DOUBLE_EQ(picture.potential.colours.low, 42);
    EXPECT_DOUBLE_EQ(picture.potential.colours.high, 42);
}

// A plane with a single line along one of its axes (a mesh one element thin there) has no
// elements: the potential alone is drawn, as a plot of some height, running from one end of
// the colour map to the other along the axis with lines.
TEST(SliceOfOneLine, IsDrawnAsAPotentialOfSomeHeight) {
    for (const bool single_up : {true, false}) {
        SCOPED_TRACE(single_up ? "one line up" : "one line across");
        const std::vector<double> lines{0, 1, 3}, line{4};
        const fieldmap::Slice slice =
            single_up ? HandMadeSlice(lines, line, {}, {}) : HandMadeSlice(line, lines, {}, {});
        const render::SlicePicture picture = render::RenderSlice(slice, "thin.efm", render::FittedPictureSize(slice));
        EXPECT_FALSE(picture.materials.has_value());
        const QRect& box = picture.potential.plot.pixels();
        ASSERT_GT(box.width(), 2);
        ASSERT_GT(box.height(), 2);
        // The lowest value lies left (one line up) or at the bottom (one line across); two pixels
        // in, clear of the frame.
        const QPoint centre = box.center();
        const QPoint low = single_up ? QPoint(box.left() + 2, centre.y()) : QPoint(centre.x(), box.bottom() - 2);
        const QPoint high = single_up ? QPoint(box.right() - 2, centre.y()) : QPoint(centre.x(), box.top() + 2);
        const double tolerance = 3 * Distance(render::ColourMap(0), render::ColourMap(1.0 / 255));
        EXPECT_LE(Distance(picture.image.pixel(low), render::ColourMap(0)), tolerance);
        EXPECT_LE(Distance(picture.image.pixel(high), render::ColourMap(1)), tolerance);
    }
}

}  // namespace
