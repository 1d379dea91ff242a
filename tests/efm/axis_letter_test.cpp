// The letters that name the axes in messages, reports and options, and their way back.
#include "efm/format.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

namespace {

using namespace brenwick::efm;

TEST(AxisLetter, EachAxisHasItsOwnLetterAndIsFoundByIt) {
    std::set<char> letters;
    for (const Axis axis : kAxes) {
        const char letter = AxisLetter(axis);
        letters.insert(letter);
        EXPECT_EQ(AxisOfLetter(std::string(1, letter)), axis) << letter;
    }
    EXPECT_EQ(letters.size(), kAxes.size());
}

TEST(AxisLetter, OtherTextsNameNoAxis) {
    for (const char* text : {"", "X", "w", "xy", "x ", " y", "z\n"}) {
        EXPECT_EQ(AxisOfLetter(text), std::nullopt) << '"' << text << '"';
    }
}

}  // namespace
