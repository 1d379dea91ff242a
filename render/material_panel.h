// The panel of a slice picture that shows the element materials: every element of the layer
// in the colour of its record, at its real size, with a legend of the records.
#ifndef BRENWICK_RENDER_MATERIAL_PANEL_H
#define BRENWICK_RENDER_MATERIAL_PANEL_H

#include "fieldmap/slice.h"
#include "picture_style.h"
#include "plot_area.h"

#include <QColor>
#include <QPainter>
#include <QString>

#include <span>

namespace brenwick::render {

// The width the legend of the slice's records needs to show them whole.
int MaterialLegendWidth(const fieldmap::Slice& slice, const PictureStyle& style);

// Draws the panel into `panel` of the painter's picture, with `side_width` pixels beside the
// plot for the legend; `colours` has one colour per record. The slice must have an element
// layer. Returns where the elements are drawn.
PlotArea DrawMaterialPanel(QPainter& painter, const fieldmap::Slice& slice, QRect panel, int side_width,
                           const PictureStyle& style, std::span<const QColor> colours);

}  // namespace brenwick::render

#endif
