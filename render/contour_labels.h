// Where the equipotential lines of a plot show their values: each level gets at most one label,
// on one of its own lines, inside the plot and clear of the other labels and of the lines of
// every other level, so that no label hides a line or a label. Where the lines run too close
// together for that, a level has no label; the colour bar gives its value.
#ifndef BRENWICK_RENDER_CONTOUR_LABELS_H
#define BRENWICK_RENDER_CONTOUR_LABELS_H

#include <QLineF>
#include <QRect>
#include <QRectF>
#include <QSizeF>

#include <cstddef>
#include <span>
#include <vector>

namespace brenwick::render {

struct ContourLabel {
    std::size_t level = 0;  // index of the level among those given
    QRectF place;           // in the picture's pixels
};

// `lines[n]` are the pieces of the line of level n and `sizes[n]` the size of its label, in
// the picture's pixels; `plot` is where the lines are drawn. The labels come in level order.
std::vector<ContourLabel> PlaceContourLabels(std::span<const std::vector<QLineF>> lines, std::span<const QSizeF> sizes,
                                             const QRect& plot);

}  // namespace brenwick::render

#endif
