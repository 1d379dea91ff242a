#include "tool_tip.h"

#include <QFontMetrics>
#include <QToolTip>
#include <QWidget>

namespace brenwick {

namespace {

constexpr int kCharactersPerLine = 50;

}  // namespace

// A table is the one block of Qt's rich text that takes a fixed width.
QString WrappedToolTip(const QString& text, int width) {
    return QStringLiteral("<table width=\"%1\"><tr><td>%2</td></tr></table>").arg(width).arg(text.toHtmlEscaped());
}

void WrapToolTip(QWidget& widget) {
    const int width = QFontMetrics(QToolTip::font()).averageCharWidth() * kCharactersPerLine;
    widget.setToolTip(WrappedToolTip(widget.toolTip(), width));
}

}  // namespace brenwick
