#include "text_encodings.h"

#include <cstdint>

namespace test_files {

namespace {

using Bytes = std::vector<unsigned char>;

std::u32string CodePoints(const std::string& utf8) {
    std::u32string points;
    for (std::size_t i = 0; i < utf8.size();) {
        const auto lead = static_cast<unsigned char>(utf8[i]);
        const int extra = lead < 0x80 ? 0 : lead < 0xE0 ? 1 : lead < 0xF0 ? 2 : 3;
        char32_t point = extra == 0 ? lead : lead & (0x3F >> extra);
        for (int k = 1; k <= extra; ++k) point = (point << 6) | (static_cast<unsigned char>(utf8[i + k]) & 0x3F);
        points.push_back(point);
        i += static_cast<std::size_t>(extra) + 1;
    }
    return points;
}

void AppendUnit(Bytes& bytes, std::uint32_t unit, int width, bool big_endian) {
    for (int k = 0; k < width; ++k) {
        const int shift = 8 * (big_endian ? width - 1 - k : k);
        bytes.push_back(static_cast<unsigned char>(unit >> shift));
    }
}

}  // namespace

Bytes Utf16(const std::string& utf8, bool big_endian, bool byte_order_mark) {
    Bytes bytes;
    if (byte_order_mark) AppendUnit(bytes, 0xFEFF, 2, big_endian);
    for (char32_t point : CodePoints(utf8)) {
        if (point < 0x10000) {
            AppendUnit(bytes, point, 2, big_endian);
        } else {
            point -= 0x10000;
            AppendUnit(bytes, 0xD800 + (point >> 10), 2, big_endian);
            AppendUnit(bytes, 0xDC00 + (point & 0x3FF), 2, big_endian);
        }
    }
    return bytes;
}

Bytes Utf32LittleEndian(const std::string& utf8) {
    Bytes bytes;
    AppendUnit(bytes, 0xFEFF, 4, false);
    for (const char32_t point : CodePoints(utf8)) AppendUnit(bytes, point, 4, false);
    return bytes;
}

}  // namespace test_files
