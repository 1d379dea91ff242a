#include "slice_picture.h"

#include "fieldmap/mesh_axis.h"
#include "material_colours.h"
#include "material_panel.h"
#include "picture_style.h"
#include "plot_axes.h"

#include <QPainter>

#include <algorithm>
#include <cmath>
#include <stdexcept>

namespace brenwick::render {

namespace {

// Where the parts of a picture go.
struct PictureLayout {
    PictureLayout(const fieldmap::Slice& slice, QSize size, std::optional<double> text_scale, TitleLine title_line);

    PictureStyle style;
    QRect title;  // empty when the picture leaves its title out
    std::optional<QRect> material_panel;
    QRect potential_panel;
    int side_width = 0;  // beside each plot, for its legend or colour bar
};

PictureLayout::PictureLayout(const fieldmap::Slice& slice, QSize size, std::optional<double> text_scale,
                             TitleLine title_line)
    : style(size.width(), text_scale) {
    const int margin = style.Text(0.8);
    if (title_line == TitleLine::drawn) title = QRect(margin, 0, size.width() - 2 * margin, style.Text(2.6));
    const int top = title.isEmpty() ? 0 : title.top() + title.height();
    const QRect panels(margin, top, size.width() - 2 * margin, size.height() - top - margin);
    potential_panel = panels;
    side_width = ColourBarWidth(style);
    if (slice.element_layer) {
        const int gap = style.Text(1.5);
        const int half = (panels.width() - gap) / 2;
        material_panel = QRect(panels.left(), panels.top(), half, panels.height());
        potential_panel = QRect(panels.left() + half + gap, panels.top(), panels.width() - half - gap, panels.height());
        // Both panels keep the same room beside their plots, so that the two plots of the
        // plane have the same size and stand at the same place in their panels.
        side_width = std::max(side_width, std::min(MaterialLegendWidth(slice, style), half * 2 / 5));
    }
}

QString Title(const fieldmap::Slice& slice, const QString& file_name) {
    const QString axis = QString::fromStdString(fieldmap::AxisName(slice.axis));
    const QString plane = QString("plane %1 of 0 to %2 along %3").arg(slice.index).arg(slice.planes - 1).arg(axis);
    if (!slice.has_mesh) return file_name + " \u2014 " + plane + "; only potentials, no mesh lines";
    return file_name + QString(" \u2014 %1 = %2 (").arg(axis).arg(slice.position, 0, 'g', 7) + plane + ")";
}

double Length(const std::vector<double>& lines) { return lines.back() - lines.front(); }

}  // namespace

QSize FittedPictureSize(const fieldmap::Slice& slice, int width) {
    fieldmap::CheckDrawable(slice);
    // Lay the picture out at a trial height, then give the plot the height its shape asks for.
    const int trial_height = kLargestPictureSize.height();
    const PictureLayout layout(slice, {width, trial_height}, std::nullopt, TitleLine::drawn);
    const PanelRooms rooms = SplitPanel(layout.potential_panel, layout.side_width, layout.style);
    const double across = Length(slice.lines[0]), up = Length(slice.lines[1]);
    const double shape = across > 0 && up > 0 ? up / across : 1.0;
    const int plot_height = static_cast<int>(std::lround(rooms.plot.width() * std::clamp(shape, 0.25, 1.5)));
    const int height = trial_height - rooms.plot.height() + plot_height;
    return {width, std::clamp(height, kSmallestPictureSize.height(), kLargestPictureSize.height())};
}

SlicePicture RenderSlice(const fieldmap::Slice& slice, const QString& file_name, QSize size,
                         std::optional<double> text_scale, TitleLine title_line) {
    if (size.width() < kSmallestPictureSize.width() || size.height() < kSmallestPictureSize.height() ||
        size.width() > kLargestPictureSize.width() || size.height() > kLargestPictureSize.height()) {
        throw std::invalid_argument("RenderSlice: the picture size is outside the sizes it may have");
    }
    fieldmap::CheckDrawable(slice);
    const PictureLayout layout(slice, size, text_scale, title_line);
    SlicePicture picture{
        QImage(size, QImage::Format_RGB32), Title(slice, file_name), std::nullopt, MaterialColours(slice.records), {}};
    picture.image.fill(layout.style.background);
    QPainter painter(&picture.image);
    painter.setRenderHint(QPainter::TextAntialiasing);
    painter.setPen(layout.style.text);
    if (!layout.title.isEmpty()) {
        painter.setFont(layout.style.TitleFont());
        painter.drawText(layout.title, Qt::AlignLeft | Qt::AlignVCenter,
                         painter.fontMetrics().elidedText(picture.title, Qt::ElideMiddle, layout.title.width()));
    }
    if (layout.material_panel) {
        picture.materials = DrawMaterialPanel(painter, slice, *layout.material_panel, layout.side_width, layout.style,
                                              picture.material_colours);
    }
    picture.potential = DrawPotentialPanel(painter, slice, layout.potential_panel, layout.side_width, layout.style);
    return picture;
}

}  // namespace brenwick::render
