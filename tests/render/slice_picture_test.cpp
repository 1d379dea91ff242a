// Pictures of the demo detector's export, checked pixel by pixel: materials in their legend
// colours at their real places, the electrodes at the ends of the colour map.
#include "fieldmap/mesh_axis.h"
#include "fieldmap/slice.h"
#include "render/colour_map.h"
#include "render/material_colours.h"
#include "render/slice_picture.h"
#include "tests/support/demo_export.h"
#include "tests/support/test_files.h"

#include <QColor>
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <functional>

using namespace brenwick;

namespace {

using test_files::TempDir;

// The demo's mesh (x from 0 to 12, y from 0 to 9, z from 0 to 5, in mm): the board fills z
// below 0.8, a frame 1 wide stands on it along the side walls, the cathode (-1000 V) is the
// top plane and the board's lower face (0 V) the bottom one.
class DemoPicture : public testing::Test {
protected:
    static constexpr unsigned kGas = 0, kBoard = 1, kFrame = 3;

    fieldmap::Slice Slice(const test_files::TempDir& dir, const test_efm::MapContents& contents, fieldmap::SliceRequest request,
                          bool only_potentials = false) const {
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

    static double Distance(QRgb a, QRgb b) {
        return std::abs(qRed(a) - qRed(b)) + std::abs(qGreen(a) - qGreen(b)) + std::abs(qBlue(a) - qBlue(b));
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
    int change = plot.pixels().left();
    while (picture.image.pixel(change, row) != picture.material_colours[kGas].rgb()) ++change;
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

}  // namespace
