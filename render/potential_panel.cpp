#include "potential_panel.h"

#include "colour_map.h"
#include "contour_labels.h"
#include "contours.h"
#include "plot_axes.h"
#include "ticks.h"

#include <QFontMetrics>
#include <QLineF>

#include <algorithm>
#include <cmath>
#include <optional>

namespace brenwick::render {

namespace {

constexpr int kContourLines = 10;

QRgb ValueColour(double value, const Range& range, const PictureStyle& style) {
    if (!std::isfinite(value)) return style.no_value.rgb();
    return ColourMap(range.Length() > 0 ? (value - range.low) / range.Length() : 0.5);
}

// Round values strictly between the ends: lines at the ends would trace the electrodes.
Ticks ContourLevels(const Range& range) {
    Ticks ticks = NiceTicks(range.low, range.high, kContourLines);
    const double slack = ticks.step * 1e-6;
    std::erase_if(ticks.values, [&](double v) { return v <= range.low + slack || v >= range.high - slack; });
    return ticks;
}

// Node index of the corner `step` (0 or 1) cells on from `cell` along an axis of `lines` lines;
// a single line is its own neighbour.
std::size_t Corner(std::size_t cell, std::size_t step, std::size_t lines) { return std::min(cell + step, lines - 1); }

QImage PotentialRaster(const fieldmap::Slice& slice, const PlotArea& plot, const Range& range, const PictureStyle& style) {
    const std::size_t nu = slice.lines[0].size();
    const std::size_t nv = slice.lines[1].size();
    const std::vector<float>& values = slice.potential;
    return Raster(plot, slice.lines[0], slice.lines[1], [&](CellPosition a, CellPosition b) {
        const auto at = [&](std::size_t du, std::size_t dv) {
            return static_cast<double>(values[Corner(a.cell, du, nu) + nu * Corner(b.cell, dv, nv)]);
        };
        const double value = (1 - a.fraction) * (1 - b.fraction) * at(0, 0) + a.fraction * (1 - b.fraction) * at(1, 0) +
                             (1 - a.fraction) * b.fraction * at(0, 1) + a.fraction * b.fraction * at(1, 1);
        return ValueColour(value, range, style);
    });
}

// Draws the lines of the levels and the labels that fit; returns where the labels stand.
std::vector<ContourLabel> DrawContours(QPainter& painter, const fieldmap::Slice& slice, const PlotArea& plot,
                                       const Ticks& levels, const PictureStyle& style) {
    std::vector<std::vector<QLineF>> lines(levels.values.size());
    std::vector<QString> texts;
    std::vector<QSizeF> sizes;
    const QFontMetrics metrics(style.TextFont());
    for (std::size_t n = 0; n < levels.values.size(); ++n) {
        for (const Segment& s : ContourSegments(slice.lines[0], slice.lines[1], slice.potential, levels.values[n])) {
            lines[n].emplace_back(plot.ToPixel(s.u0, s.v0), plot.ToPixel(s.u1, s.v1));
        }
        texts.push_back(QString::fromStdString(TickLabel(levels.values[n], levels.step)));
        sizes.emplace_back(metrics.horizontalAdvance(texts.back()) + style.Text(0.6), style.Text(1.3));
    }
    const std::vector<ContourLabel> labels = PlaceContourLabels(lines, sizes, plot.pixels());

    painter.save();
    painter.setClipRect(plot.pixels());
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(QColor(20, 20, 20, 180), std::max(1.0, style.text_px / 10.0)));
    for (const std::vector<QLineF>& level : lines) painter.drawLines(level.data(), static_cast<int>(level.size()));
    painter.setFont(style.TextFont());
    painter.setBrush(QColor(255, 255, 255, 210));
    for (const ContourLabel& label : labels) {
        painter.setPen(Qt::NoPen);
        painter.drawRoundedRect(label.place, 3, 3);
        painter.setPen(style.text);
        painter.drawText(label.place, Qt::AlignCenter, texts[label.level]);
    }
    painter.restore();
    return labels;
}

void DrawColourBar(QPainter& painter, const QRect& bar, const Range& range, const Ticks& levels, const PictureStyle& style) {
    QImage gradient(bar.size(), QImage::Format_RGB32);
    for (int y = 0; y < bar.height(); ++y) {
        const QRgb colour = ColourMap(1.0 - (y + 0.5) / bar.height());
        std::fill_n(reinterpret_cast<QRgb*>(gradient.scanLine(y)), bar.width(), colour);
    }
    painter.drawImage(bar.topLeft(), gradient);
    painter.save();
    painter.setFont(style.TextFont());
    const auto y_of = [&](double value) {
        return range.Length() > 0 ? bar.top() + (range.high - value) / range.Length() * bar.height()
                                  : bar.top() + bar.height() / 2.0;
    };
    painter.setPen(QPen(QColor(20, 20, 20, 180), 1));
    for (const double level : levels.values) {
        painter.drawLine(QPointF(bar.left(), y_of(level)), QPointF(bar.left() + bar.width(), y_of(level)));
    }
    painter.setPen(QPen(style.frame, 1));
    painter.drawRect(QRectF(bar).adjusted(-0.5, -0.5, 0.5, 0.5));

    painter.setPen(style.text);
    const Ticks ticks = range.Length() > 0 ? NiceTicks(range.low, range.high, std::max(2, bar.height() / style.Text(2.5)))
                                           : Ticks{{range.low}, 1.0};
    const int right = bar.left() + bar.width();
    for (const double value : ticks.values) {
        const double y = y_of(value);
        painter.drawLine(QPointF(right, y), QPointF(right + style.Text(0.4), y));
        painter.drawText(QRectF(right + style.Text(0.6), y - style.Text(0.7), style.Text(6), style.Text(1.4)),
                         Qt::AlignLeft | Qt::AlignVCenter, QString::fromStdString(TickLabel(value, ticks.step)));
    }
    painter.restore();
}

}  // namespace

Range FiniteRange(std::span<const float> values) {
    std::optional<Range> range;
    for (const float value : values) {
        if (!std::isfinite(value)) continue;
        if (!range) range = Range{value, value};
        range->low = std::min<double>(range->low, value);
        range->high = std::max<double>(range->high, value);
    }
    return range.value_or(Range{0, 0});
}

int ColourBarWidth(const PictureStyle& style) { return style.Text(8); }

PotentialPanel DrawPotentialPanel(QPainter& painter, const fieldmap::Slice& slice, QRect panel, int side_width,
                                  const PictureStyle& style) {
    const PanelRooms rooms = SplitPanel(panel, side_width, style);
    const std::vector<double>& across = slice.lines[0];
    const std::vector<double>& up = slice.lines[1];
    PotentialPanel result{PlotArea::Fit(rooms.plot, {across.front(), across.back()}, {up.front(), up.back()}),
                          FiniteRange(slice.potential), {}, {}};
    const Ticks levels = ContourLevels(result.colours);
    result.levels = levels.values;

    painter.drawImage(result.plot.pixels().topLeft(), PotentialRaster(slice, result.plot, result.colours, style));
    result.labels = DrawContours(painter, slice, result.plot, levels, style);
    DrawAxes(painter, result.plot, style, slice);

    // A flat plot gets a taller bar, so that its labels stay apart.
    const QRect side = SideRoom(result.plot, rooms, side_width, style);
    const QRect bar(side.left(), side.top(), style.Text(1.2),
                    std::min(side.height(), std::max(result.plot.pixels().height(), style.Text(10))));
    DrawColourBar(painter, bar, result.colours, levels, style);

    painter.save();
    painter.setFont(style.TextFont());
    painter.setPen(style.text);
    QString title = "Potential (V) at the nodes of the plane";
    if (!levels.values.empty()) {
        title += QString(", lines every %1 V").arg(QString::fromStdString(TickLabel(levels.step, levels.step)));
    }
    painter.drawText(rooms.title, Qt::AlignLeft | Qt::AlignVCenter,
                     painter.fontMetrics().elidedText(title, Qt::ElideRight, rooms.title.width()));
    painter.restore();
    return result;
}

}  // namespace brenwick::render
