// Sizes and fonts of a picture, grown or shrunk with the picture's width so that text stays
// in proportion.
#ifndef BRENWICK_RENDER_PICTURE_STYLE_H
#define BRENWICK_RENDER_PICTURE_STYLE_H

#include <QColor>
#include <QFont>

namespace brenwick::render {

struct PictureStyle {
    explicit PictureStyle(int picture_width);

    int text_px = 13;   // labels, ticks, legends
    int title_px = 16;  // the picture's title
    QColor text{30, 30, 30};
    QColor frame{90, 90, 90};
    QColor background{255, 255, 255};
    QColor no_value{150, 150, 150};  // node values that are no finite numbers

    QFont TextFont() const;
    QFont TitleFont() const;
    // A length in text heights, in pixels.
    int Text(double heights) const;
};

}  // namespace brenwick::render

#endif
