#include "picture_style.h"

#include <algorithm>
#include <cmath>

namespace brenwick::render {

namespace {

// The picture width at which text has its base size.
constexpr double kBaseWidth = 1400;

QFont Font(int pixels, bool bold) {
    // DejaVu Sans is installed with the program's packages; Qt falls back to any sans font.
    QFont font("DejaVu Sans");
    font.setStyleHint(QFont::SansSerif);
    font.setPixelSize(pixels);
    font.setBold(bold);
    return font;
}

}  // namespace

PictureStyle::PictureStyle(int picture_width, std::optional<double> text_scale) {
    const double scale = text_scale.value_or(std::clamp(picture_width / kBaseWidth, 0.7, 3.0));
    text_px = static_cast<int>(std::lround(13 * scale));
    title_px = static_cast<int>(std::lround(16 * scale));
}

QFont PictureStyle::TextFont() const { return Font(text_px, false); }
QFont PictureStyle::TitleFont() const { return Font(title_px, true); }
int PictureStyle::Text(double heights) const { return static_cast<int>(std::lround(heights * text_px)); }

}  // namespace brenwick::render
