// The panel of a slice picture that shows the potential: the node values of the plane,
// interpolated bilinearly within each cell and coloured with the colour map, about ten
// equipotential lines, labelled where a label hides no other line, and a colour bar with values.
#ifndef BRENWICK_RENDER_POTENTIAL_PANEL_H
#define BRENWICK_RENDER_POTENTIAL_PANEL_H

#include "contour_labels.h"
#include "fieldmap/slice.h"
#include "picture_style.h"
#include "plot_area.h"

#include <QPainter>

#include <span>
#include <vector>

namespace brenwick::render {

struct PotentialPanel {
    PlotArea plot;
    Range colours;                     // the values at the two ends of the colour map
    std::vector<double> levels;        // the values of the equipotential lines
    std::vector<ContourLabel> labels;  // the values shown on the lines, by index into levels
};

// The lowest and highest finite value; both 0 when there is none.
Range FiniteRange(std::span<const float> values);

// The width of the colour bar with its labels.
int ColourBarWidth(const PictureStyle& style);

// Draws the panel into `panel` of the painter's picture, with `side_width` pixels beside the
// plot for the colour bar.
PotentialPanel DrawPotentialPanel(QPainter& painter, const fieldmap::Slice& slice, QRect panel, int side_width,
                                  const PictureStyle& style);

}  // namespace brenwick::render

#endif
