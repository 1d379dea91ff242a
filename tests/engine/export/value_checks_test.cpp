// The warnings about values that are not finite numbers: how many, and the first, wherever the
// threads that look for them meet them.
#include "engine/export/value_checks.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>
#include <vector>

using namespace brenwick;

namespace {

TEST(ValueChecks, CountTheValuesThatAreNotFiniteAndNameTheFirst) {
    constexpr float kNaN = std::numeric_limits<float>::quiet_NaN();
    constexpr float kInfinity = std::numeric_limits<float>::infinity();
    struct Case {
        std::vector<std::size_t> at;  // indices of a 10 x 10 x 10 grid
        std::string warned;           // the start of the warning; empty: none
    };
    const std::vector<Case> cases{
        {{}, ""},
        {{0}, "1 node values of the potential are not finite numbers (the first at node 0, i = 0, j = 0, k = 0)"},
        {{999}, "1 node values of the potential are not finite numbers (the first at node 999, i = 9, j = 9, k = 9)"},
        {{998, 3, 600},
         "3 node values of the potential are not finite numbers (the first at node 3, i = 3, j = 0, k = 0)"},
        {{512, 731},
         "2 node values of the potential are not finite numbers (the first at node 512, i = 2, j = 1, k = 5)"},
    };
    for (const Case& c : cases) {
        std::vector<float> values(1000, 1.5f);
        for (std::size_t n = 0; n < c.at.size(); ++n)
            values[c.at[n]] = n % 3 == 0 ? kNaN : (n % 3 == 1 ? kInfinity : -kInfinity);
        const std::optional<std::string> warning = NonFiniteNodeWarning(values, {10, 10, 10});
        SCOPED_TRACE(c.warned);
        ASSERT_EQ(warning.has_value(), !c.warned.empty());
        if (warning) {
            EXPECT_EQ(warning->substr(0, c.warned.size()), c.warned);
        }
    }
}

}  // namespace
