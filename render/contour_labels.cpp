#include "contour_labels.h"

#include <QImage>
#include <QPainter>

#include <algorithm>
#include <cmath>
#include <optional>

namespace brenwick::render {

namespace {

// Pixels a label keeps clear of the lines of other levels, beyond the width lines are drawn
// with, so that it never touches one.
constexpr double kClearance = 2;
// Places tried along the lines of a level before it goes without a label.
constexpr std::size_t kTries = 32;

// Which level's line, or which label, covers each pixel of the plot: the pixels hold the mark
// of the last thing drawn over them, and 0 where nothing is.
class Coverage {
public:
    explicit Coverage(const QRect& plot) : plot_(plot), marks_(plot.size(), QImage::Format_RGB32) { marks_.fill(0); }

    void DrawLines(std::size_t level, const std::vector<QLineF>& lines) {
        QPainter painter(&marks_);
        painter.translate(-plot_.topLeft());
        painter.setPen(QPen(QColor::fromRgb(LevelMark(level)), 2));
        painter.drawLines(lines.data(), static_cast<int>(lines.size()));
    }

    void DrawLabel(const QRectF& place) {
        QPainter painter(&marks_);
        painter.translate(-plot_.topLeft());
        painter.fillRect(place, QColor::fromRgb(kLabelMark));
    }

    // Whether `place`, with its clearance, covers only pixels that are free or hold the line of
    // `level`.
    bool ClearFor(std::size_t level, const QRectF& place) const {
        const QRectF around =
            place.adjusted(-kClearance, -kClearance, kClearance, kClearance).translated(-plot_.topLeft());
        const int left = std::max(0, static_cast<int>(std::floor(around.left())));
        const int right = std::min(marks_.width(), static_cast<int>(std::ceil(around.right())));
        const int top = std::max(0, static_cast<int>(std::floor(around.top())));
        const int bottom = std::min(marks_.height(), static_cast<int>(std::ceil(around.bottom())));
        const QRgb own = LevelMark(level);
        for (int y = top; y < bottom; ++y) {
            const auto* row = reinterpret_cast<const QRgb*>(marks_.constScanLine(y));
            for (int x = left; x < right; ++x) {
                const QRgb mark = row[x] & kMarkBits;
                if (mark != 0 && mark != own) return false;
            }
        }
        return true;
    }

private:
    static constexpr QRgb kMarkBits = 0xFFFFFF;
    static constexpr QRgb kLabelMark = 0xFFFFFF;
    static QRgb LevelMark(std::size_t level) { return static_cast<QRgb>(level + 1) & kMarkBits; }

    QRect plot_;
    QImage marks_;
};

// The first place for a label of `size` centred on one of the lines that lies inside the plot
// and is clear; the search starts at the fraction `start` of the lines, so that the labels of
// different levels spread out.
std::optional<QRectF> LabelPlace(const Coverage& coverage, std::size_t level, const std::vector<QLineF>& lines,
                                 QSizeF size, const QRectF& plot, double start) {
    for (std::size_t attempt = 0; attempt < std::min(lines.size(), kTries); ++attempt) {
        const double fraction = std::fmod(start + static_cast<double>(attempt) / kTries, 1.0);
        const QLineF& line = lines[static_cast<std::size_t>(fraction * static_cast<double>(lines.size()))];
        const QRectF place(line.center() - QPointF(size.width() / 2, size.height() / 2), size);
        if (plot.contains(place) && coverage.ClearFor(level, place)) return place;
    }
    return std::nullopt;
}

}  // namespace

std::vector<ContourLabel> PlaceContourLabels(std::span<const std::vector<QLineF>> lines, std::span<const QSizeF> sizes,
                                             const QRect& plot) {
    std::vector<ContourLabel> labels;
    if (plot.isEmpty()) return labels;
    Coverage coverage(plot);
    for (std::size_t level = 0; level < lines.size(); ++level) coverage.DrawLines(level, lines[level]);
    for (std::size_t level = 0; level < lines.size(); ++level) {
        const double start = (static_cast<double>(level) + 0.5) / static_cast<double>(lines.size());
        if (const std::optional<QRectF> place = LabelPlace(coverage, level, lines[level], sizes[level], plot, start)) {
            coverage.DrawLabel(*place);
            labels.push_back({level, *place});
        }
    }
    return labels;
}

}  // namespace brenwick::render
