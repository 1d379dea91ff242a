// Tips of a sentence or more, wrapped to a width that reads well: Qt runs a plain tip across
// the screen and wraps a rich-text one after a few words.
#ifndef BRENWICK_TOOL_TIP_H
#define BRENWICK_TOOL_TIP_H

#include <QString>

class QWidget;

namespace brenwick {

// `text` as rich text that wraps at `width` pixels; the words stay exactly as they are.
QString WrappedToolTip(const QString& text, int width);

// Wraps the widget's tip at about 50 characters of the tip font.
void WrapToolTip(QWidget& widget);

}  // namespace brenwick

#endif
