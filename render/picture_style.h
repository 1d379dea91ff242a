// Sizes and fonts of a picture: grown or shrunk with the picture's width so that text stays
// in proportion, or of a fixed scale for a picture drawn for the screen it is shown on.
#ifndef BRENWICK_RENDER_PICTURE_STYLE_H
#define BRENWICK_RENDER_PICTURE_STYLE_H

#include <QColor>
#include <QFont>

#include <optional>

namespace brenwick::render {

struct PictureStyle {
    // `text_scale` fixes the text sizes at that multiple of their base size (the screen's pixel
    // ratio for a picture shown at its size); without it they follow the width.
    explicit PictureStyle(int picture_width, std::optional<double> text_scale = std::nullopt);

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
