#include "brenwick_app.h"

#include <gtest/gtest.h>

#include <clocale>
#include <string>

// The test runs with LC_ALL set to a locale other than "C", as a user's desktop has one.
TEST(ApplicationTest, NumbersAreReadWithTheClassicLocaleWhateverTheUsersLocale) {
    int argc = 1;
    char name[] = "brenwick";
    char* argv[] = {name, nullptr};
    CBrenwickApp app(argc, argv);
    EXPECT_EQ(std::string(std::setlocale(LC_NUMERIC, nullptr)), "C");
    EXPECT_NE(std::string(std::setlocale(LC_CTYPE, nullptr)), "C") << "the test needs LC_ALL set to another locale";
}
