// Text in the other encodings a material file may come in, made from UTF-8 text.
#ifndef BRENWICK_TESTS_TEXT_ENCODINGS_H
#define BRENWICK_TESTS_TEXT_ENCODINGS_H

#include <string>
#include <vector>

namespace test_files {

// The bytes of valid UTF-8 text in UTF-16, code points beyond U+FFFF as surrogate pairs,
// with or without a byte order mark in front.
std::vector<unsigned char> Utf16(const std::string& utf8, bool big_endian, bool byte_order_mark);
// The same in little-endian UTF-32, with a byte order mark.
std::vector<unsigned char> Utf32LittleEndian(const std::string& utf8);

}  // namespace test_files

#endif
