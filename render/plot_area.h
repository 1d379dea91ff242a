// The rectangle of a picture in which a plane is drawn, and how plane coordinates map to its
// pixels: across to the right, up to the top, each axis linear, so that cells keep their real
// widths.
#ifndef BRENWICK_RENDER_PLOT_AREA_H
#define BRENWICK_RENDER_PLOT_AREA_H

#include <QImage>
#include <QPointF>
#include <QRect>

#include <cstddef>
#include <span>
#include <vector>

namespace brenwick::render {

// A range of plane coordinates along one axis.
struct Range {
    double low = 0, high = 1;
    double Length() const { return high - low; }
};

class PlotArea {
public:
    PlotArea() = default;
    PlotArea(QRect pixels, Range across, Range up);

    // The largest plot of the two ranges in the top left corner of `available`, with equal
    // lengths per pixel on both axes, unless that leaves a side less than a third of its room:
    // then that side gets the third, so that flat shapes stay readable.
    static PlotArea Fit(QRect available, Range across, Range up);

    const QRect& pixels() const { return pixels_; }
    const Range& across() const { return across_; }
    const Range& up() const { return up_; }

    QPointF ToPixel(double u, double v) const;
    // The plane coordinates of the centres of the plot's pixel columns (left to right) and
    // rows (top to bottom).
    std::vector<double> ColumnCentres() const;
    std::vector<double> RowCentres() const;

private:
    QRect pixels_;
    Range across_, up_;
};

// Where a coordinate lies among mesh lines: the cell and the fraction (0 to 1) across it.
struct CellPosition {
    std::size_t cell = 0;
    double fraction = 0;
};

// The cell position of each coordinate (coordinates beyond the lines are clamped to the first
// or last line). With fewer than two lines, every coordinate is at the start of cell 0. The
// lines are usable mesh lines, as fieldmap::CheckDrawable makes sure for a slice.
std::vector<CellPosition> CellPositions(std::span<const double> lines, std::span<const double> coordinates);

// The plot's pixels as an image, each coloured by colour(across, up), the cell positions of
// the pixel's centre among the lines across and up.
template <typename Colour>
QImage Raster(const PlotArea& plot, std::span<const double> across_lines, std::span<const double> up_lines, Colour colour) {
    const std::vector<CellPosition> columns = CellPositions(across_lines, plot.ColumnCentres());
    const std::vector<CellPosition> rows = CellPositions(up_lines, plot.RowCentres());
    QImage image(plot.pixels().size(), QImage::Format_RGB32);
    for (int y = 0; y < image.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < image.width(); ++x) {
            line[x] = colour(columns[static_cast<std::size_t>(x)], rows[static_cast<std::size_t>(y)]);
        }
    }
    return image;
}

}  // namespace brenwick::render

#endif
