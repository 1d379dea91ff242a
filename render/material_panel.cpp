#include "material_panel.h"

#include "efm/garfield_limits.h"
#include "fieldmap/mesh_axis.h"
#include "material_colours.h"
#include "plot_axes.h"

#include <QFontMetrics>

#include <array>
#include <cstdint>
#include <vector>

namespace brenwick::render {

namespace {

struct LegendEntry {
    QColor colour;
    QString text;
};

efm::ElementsPerByte CountBytes(const std::vector<unsigned char>& bytes) {
    efm::ElementsPerByte counts{};
    efm::CountElements(bytes, counts);
    return counts;
}

QString RecordText(std::size_t index, const efm::MaterialRecord& record) {
    QString text = QString("%1: %2, ID %3").arg(index).arg(QString::fromStdString(record.description)).arg(record.id);
    if (efm::IsDriftGas(record)) text += " (drift gas)";
    return text;
}

// The colour of each element material byte, found once rather than for every pixel.
std::array<QRgb, 256> ByteColours(std::span<const efm::MaterialRecord> records, std::span<const QColor> colours) {
    std::array<QRgb, 256> table;
    for (unsigned byte = 0; byte < table.size(); ++byte) {
        table[byte] = (efm::RecordOfByte(records, byte) != nullptr ? colours[byte] : kNoRecordColour).rgb();
    }
    return table;
}

// The bytes of the layer that name no record, in one entry.
std::optional<LegendEntry> NoRecordEntry(const efm::ElementsPerByte& counts,
                                         std::span<const efm::MaterialRecord> records) {
    QStringList bytes;
    for (const unsigned byte : efm::BytesWithoutRecord(counts, records)) bytes << QString::number(byte);
    if (bytes.isEmpty()) return std::nullopt;
    constexpr qsizetype kShown = 4;
    QString list = bytes.mid(0, kShown).join(", ");
    if (bytes.size() > kShown) list += QString(" and %1 more").arg(bytes.size() - kShown);
    return LegendEntry{kNoRecordColour, QString(bytes.size() == 1 ? "byte %1" : "bytes %1").arg(list) + ": no record"};
}

// Every record when they fit in `rows`; otherwise the records present in the layer and a line
// that counts the others.
std::vector<LegendEntry> LegendEntries(const fieldmap::Slice& slice, std::span<const QColor> colours, std::size_t rows) {
    const efm::ElementsPerByte counts = CountBytes(slice.materials);
    const std::optional<LegendEntry> no_record = NoRecordEntry(counts, slice.records);
    const std::size_t fixed = no_record ? 1 : 0;
    const bool all_fit = slice.records.size() + fixed <= rows;
    std::vector<LegendEntry> entries;
    std::size_t left_out = 0;
    for (std::size_t index = 0; index < slice.records.size(); ++index) {
        const bool present = index < counts.size() && counts[index] > 0;
        if (all_fit || (present && entries.size() + fixed + 1 < rows)) {
            entries.push_back({colours[index], RecordText(index, slice.records[index])});
        } else {
            ++left_out;
        }
    }
    if (no_record) entries.push_back(*no_record);
    if (left_out > 0) entries.push_back({QColor(), QString("+%1 records not shown").arg(left_out)});
    return entries;
}

constexpr const char* kLegendHeading = "Records (index: description, ID)";

int Swatch(const PictureStyle& style) { return style.Text(1.0); }
int SwatchGap(const PictureStyle& style) { return style.Text(0.5); }

void DrawLegend(QPainter& painter, const fieldmap::Slice& slice, std::span<const QColor> colours, QRect room,
                const PictureStyle& style) {
    const int row = style.Text(1.6);
    const int swatch = Swatch(style);
    const std::size_t rows = static_cast<std::size_t>(std::max(room.height() / row - 1, 1));
    painter.save();
    painter.setFont(style.TextFont());
    painter.setPen(style.text);
    const QFontMetrics metrics(style.TextFont());
    painter.drawText(QRect(room.left(), room.top(), room.width(), row), Qt::AlignLeft | Qt::AlignVCenter,
                     metrics.elidedText(kLegendHeading, Qt::ElideRight, room.width()));
    int y = room.top() + row;
    for (const LegendEntry& entry : LegendEntries(slice, colours, rows)) {
        int text_left = room.left();
        if (entry.colour.isValid()) {
            painter.fillRect(QRect(room.left(), y + (row - swatch) / 2, swatch, swatch), entry.colour);
            painter.setPen(style.frame);
            painter.drawRect(QRectF(room.left(), y + (row - swatch) / 2, swatch, swatch).adjusted(-0.5, -0.5, 0.5, 0.5));
            painter.setPen(style.text);
            text_left += swatch + SwatchGap(style);
        }
        const QRect text(text_left, y, room.left() + room.width() - text_left, row);
        painter.drawText(text, Qt::AlignLeft | Qt::AlignVCenter, metrics.elidedText(entry.text, Qt::ElideRight, text.width()));
        y += row;
    }
    painter.restore();
}

// The mesh lines, faintly, along each axis whose cells are wide enough on screen to show them.
void DrawMeshLines(QPainter& painter, const fieldmap::Slice& slice, const PlotArea& plot) {
    constexpr double kMinimumCellPixels = 5;
    const QRect& box = plot.pixels();
    painter.save();
    painter.setPen(QPen(QColor(0, 0, 0, 50), 0));
    const std::vector<double>& across = slice.lines[0];
    const std::vector<double>& up = slice.lines[1];
    if (across.size() > 1 && box.width() / static_cast<double>(across.size() - 1) >= kMinimumCellPixels) {
        for (const double u : across) {
            const double x = plot.ToPixel(u, 0).x();
            painter.drawLine(QPointF(x, box.top()), QPointF(x, box.top() + box.height()));
        }
    }
    if (up.size() > 1 && box.height() / static_cast<double>(up.size() - 1) >= kMinimumCellPixels) {
        for (const double v : up) {
            const double y = plot.ToPixel(0, v).y();
            painter.drawLine(QPointF(box.left(), y), QPointF(box.left() + box.width(), y));
        }
    }
    painter.restore();
}

}  // namespace

int MaterialLegendWidth(const fieldmap::Slice& slice, const PictureStyle& style) {
    const QFontMetrics metrics(style.TextFont());
    int width = metrics.horizontalAdvance(kLegendHeading);
    const efm::ElementsPerByte counts = CountBytes(slice.materials);
    std::vector<QString> texts;
    for (std::size_t index = 0; index < slice.records.size(); ++index) texts.push_back(RecordText(index, slice.records[index]));
    if (const std::optional<LegendEntry> no_record = NoRecordEntry(counts, slice.records))
        texts.push_back(no_record->text);
    for (const QString& text : texts) {
        width = std::max(width, Swatch(style) + SwatchGap(style) + metrics.horizontalAdvance(text));
    }
    return width + style.Text(0.5);
}

PlotArea DrawMaterialPanel(QPainter& painter, const fieldmap::Slice& slice, QRect panel, int side_width,
                           const PictureStyle& style, std::span<const QColor> colours) {
    const PanelRooms rooms = SplitPanel(panel, side_width, style);
    const std::vector<double>& across = slice.lines[0];
    const std::vector<double>& up = slice.lines[1];
    const PlotArea plot = PlotArea::Fit(rooms.plot, {across.front(), across.back()}, {up.front(), up.back()});

    const std::size_t cells_across = across.size() - 1;
    const std::array<QRgb, 256> byte_colours = ByteColours(slice.records, colours);
    const QImage elements = Raster(plot, across, up, [&](CellPosition a, CellPosition b) {
        return byte_colours[slice.materials[a.cell + cells_across * b.cell]];
    });
    painter.drawImage(plot.pixels().topLeft(), elements);
    DrawMeshLines(painter, slice, plot);
    DrawAxes(painter, plot, style, slice);

    painter.save();
    painter.setFont(style.TextFont());
    painter.setPen(style.text);
    const QString title = QString("Element materials (element layer %1 along %2)")
                              .arg(*slice.element_layer)
                              .arg(QString::fromStdString(fieldmap::AxisName(slice.axis)));
    painter.drawText(rooms.title, Qt::AlignLeft | Qt::AlignVCenter,
                     painter.fontMetrics().elidedText(title, Qt::ElideRight, rooms.title.width()));
    painter.restore();
    DrawLegend(painter, slice, colours, SideRoom(plot, rooms, side_width, style), style);
    return plot;
}

}  // namespace brenwick::render
