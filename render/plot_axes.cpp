#include "plot_axes.h"

#include "fieldmap/mesh_axis.h"
#include "ticks.h"

#include <QFontMetrics>

#include <algorithm>

namespace brenwick::render {

namespace {

// Between a plot and what stands beside it.
int SideGap(const PictureStyle& style) { return style.Text(1.2); }

// Under a plot: the tick labels and the title of the axis across.
int BelowPlot(const PictureStyle& style) { return style.Text(3.4); }

}  // namespace

PanelRooms SplitPanel(QRect panel, int side_width, const PictureStyle& style) {
    const int title = style.Text(2.2);
    const int left = style.Text(6.2);    // tick labels and the title of the axis up
    const int bottom = BelowPlot(style);
    PanelRooms rooms;
    rooms.title = QRect(panel.left(), panel.top(), panel.width(), title);
    rooms.plot = QRect(panel.left() + left, panel.top() + title, panel.width() - left - SideGap(style) - side_width,
                       panel.height() - title - bottom);
    return rooms;
}

QRect SideRoom(const PlotArea& plot, const PanelRooms& rooms, int width, const PictureStyle& style) {
    const QRect& box = plot.pixels();
    return QRect(box.left() + box.width() + SideGap(style), box.top(), width, rooms.plot.top() + rooms.plot.height() - box.top());
}

namespace {

QString Label(double value, double step) { return QString::fromStdString(TickLabel(value, step)); }

// The axis with its unit: the file gives lengths in the unit of the project's mesh without
// naming it, and a file of potentials only counts nodes.
QString AxisTitle(const fieldmap::Slice& slice, std::size_t plane_axis) {
    return QString::fromStdString(fieldmap::AxisName(slice.plane_axes[plane_axis])) +
           (slice.has_mesh ? " (mesh unit)" : " (node index)");
}

void DrawAcrossTicks(QPainter& painter, const PlotArea& plot, const PictureStyle& style) {
    const QRect& box = plot.pixels();
    const Ticks ticks = NiceTicks(plot.across().low, plot.across().high, std::max(2, box.width() / style.Text(5)));
    const int tick = style.Text(0.4);
    for (const double value : ticks.values) {
        const double x = plot.ToPixel(value, plot.up().low).x();
        const double bottom = box.top() + box.height();
        painter.drawLine(QPointF(x, bottom), QPointF(x, bottom + tick));
        const QRectF label(x - style.Text(4), bottom + tick, style.Text(8), style.Text(1.4));
        painter.drawText(label, Qt::AlignHCenter | Qt::AlignTop, Label(value, ticks.step));
    }
}

void DrawUpTicks(QPainter& painter, const PlotArea& plot, const PictureStyle& style) {
    const QRect& box = plot.pixels();
    const Ticks ticks = NiceTicks(plot.up().low, plot.up().high, std::max(2, box.height() / style.Text(3)));
    const int tick = style.Text(0.4);
    for (const double value : ticks.values) {
        const double y = plot.ToPixel(plot.across().low, value).y();
        painter.drawLine(QPointF(box.left() - tick, y), QPointF(box.left(), y));
        const QRectF label(box.left() - tick - style.Text(4.6), y - style.Text(0.7), style.Text(4.4), style.Text(1.4));
        painter.drawText(label, Qt::AlignRight | Qt::AlignVCenter, Label(value, ticks.step));
    }
}

}  // namespace

void DrawAxes(QPainter& painter, const PlotArea& plot, const PictureStyle& style, const fieldmap::Slice& slice) {
    const QString across_title = AxisTitle(slice, 0), up_title = AxisTitle(slice, 1);
    const QRect& box = plot.pixels();
    painter.save();
    painter.setFont(style.TextFont());
    painter.setPen(QPen(style.frame, 1));
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(QRectF(box).adjusted(-0.5, -0.5, 0.5, 0.5));
    painter.setPen(style.text);
    DrawAcrossTicks(painter, plot, style);
    DrawUpTicks(painter, plot, style);

    // A title longer than a small plot reaches beyond it rather than lose its unit: the title
    // across to both sides, the title up downwards, clear of the panel's title, and shortened
    // only where the room under the plot is too little as well.
    const QRectF across_label(box.left(), box.top() + box.height() + style.Text(1.9), box.width(), style.Text(1.4));
    painter.drawText(across_label, Qt::AlignHCenter | Qt::AlignTop | Qt::TextDontClip, across_title);
    painter.translate(box.left() - style.Text(5.6), box.top() + box.height() / 2.0);
    painter.rotate(-90);
    const QFontMetrics metrics = painter.fontMetrics();
    const QString up_text = metrics.elidedText(up_title, Qt::ElideRight, box.height() + BelowPlot(style));
    const double up_length = std::max<double>(box.height(), metrics.horizontalAdvance(up_text));
    painter.drawText(QRectF(box.height() / 2.0 - up_length, -style.Text(0.7), up_length, style.Text(1.4)),
                     Qt::AlignCenter, up_text);
    painter.restore();
}

}  // namespace brenwick::render
