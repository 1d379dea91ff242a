// The frame of a plot with round ticks and their labels along its bottom and left side, and
// the axis titles.
#ifndef BRENWICK_RENDER_PLOT_AXES_H
#define BRENWICK_RENDER_PLOT_AXES_H

#include "fieldmap/slice.h"
#include "picture_style.h"
#include "plot_area.h"

#include <QPainter>

namespace brenwick::render {

// The parts of a panel: its title line, and the room for the plot with its axes outside it
// and `side_width` pixels beside it for a legend or a colour bar.
struct PanelRooms {
    QRect title, plot;
};
PanelRooms SplitPanel(QRect panel, int side_width, const PictureStyle& style);

// The room for a legend or colour bar of `width` pixels beside a plot, down to the bottom of
// the plot's room.
QRect SideRoom(const PlotArea& plot, const PanelRooms& rooms, int width, const PictureStyle& style);

// Draws the frame, ticks and labels of a plot of the slice; the axis titles name the plane's
// axes and what their coordinates count.
void DrawAxes(QPainter& painter, const PlotArea& plot, const PictureStyle& style, const fieldmap::Slice& slice);

}  // namespace brenwick::render

#endif
