// The sizes a slice picture may have, in pixels: what a front end's options accept and what the
// painting draws. Plain numbers, so that a front end can check a size without loading Qt.
#ifndef BRENWICK_RENDER_PICTURE_SIZES_H
#define BRENWICK_RENDER_PICTURE_SIZES_H

namespace brenwick::render {

struct PixelSize {
    int width;
    int height;
};

inline constexpr int kDefaultPictureWidth = 1400;
inline constexpr PixelSize kSmallestPicture{480, 240};
inline constexpr PixelSize kLargestPicture{10000, 10000};

}  // namespace brenwick::render

#endif
