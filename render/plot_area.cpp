#include "plot_area.h"

#include "fieldmap/mesh_axis.h"

#include <algorithm>
#include <cmath>

namespace brenwick::render {

namespace {

// A range of no length still needs a scale; give it one unit.
Range Widened(Range range) { return range.Length() > 0 ? range : Range{range.low - 0.5, range.high + 0.5}; }

std::vector<double> Centres(int pixels, double first, double step) {
    std::vector<double> centres(static_cast<std::size_t>(std::max(pixels, 0)));
    for (std::size_t n = 0; n < centres.size(); ++n) centres[n] = first + (static_cast<double>(n) + 0.5) * step;
    return centres;
}

}  // namespace

PlotArea::PlotArea(QRect pixels, Range across, Range up) : pixels_(pixels), across_(Widened(across)), up_(Widened(up)) {}

PlotArea PlotArea::Fit(QRect available, Range across, Range up) {
    across = Widened(across);
    up = Widened(up);
    const double scale = std::min(available.width() / across.Length(), available.height() / up.Length());
    const int width = std::max(static_cast<int>(std::lround(across.Length() * scale)), available.width() / 3);
    const int height = std::max(static_cast<int>(std::lround(up.Length() * scale)), available.height() / 3);
    return PlotArea(QRect(available.left(), available.top(), width, height), across, up);
}

QPointF PlotArea::ToPixel(double u, double v) const {
    return {pixels_.left() + (u - across_.low) / across_.Length() * pixels_.width(),
            pixels_.top() + (up_.high - v) / up_.Length() * pixels_.height()};
}

std::vector<double> PlotArea::ColumnCentres() const {
    return Centres(pixels_.width(), across_.low, across_.Length() / pixels_.width());
}

std::vector<double> PlotArea::RowCentres() const {
    return Centres(pixels_.height(), up_.high, -up_.Length() / pixels_.height());
}

std::vector<CellPosition> CellPositions(std::span<const double> lines, std::span<const double> coordinates) {
    std::vector<CellPosition> positions;
    if (lines.size() < 2) return std::vector<CellPosition>(coordinates.size());
    positions.reserve(coordinates.size());
    for (const double coordinate : coordinates) {
        const double clamped = std::clamp(coordinate, lines.front(), lines.back());
        const std::size_t cell = *fieldmap::CellOf(lines, clamped);
        positions.push_back({cell, (clamped - lines[cell]) / (lines[cell + 1] - lines[cell])});
    }
    return positions;
}

}  // namespace brenwick::render
