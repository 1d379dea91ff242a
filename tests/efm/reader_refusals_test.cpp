// One rule for every reader of the format: the reader behind preview, convert and probe refuses
// exactly the files that inspect calls malformed, with the same text.
#include "efm/inspection.h"
#include "efm/reader.h"
#include "tests/support/efm_files.h"

#include <gtest/gtest.h>

#include <limits>
#include <sstream>

using namespace brenwick;

namespace {

TEST(ReaderRefusals, UnusableMeshLinesAndBytesAfterTheLastRecord) {
    constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
    constexpr double kInfinity = std::numeric_limits<double>::infinity();
    const test_efm::MapContents good = test_efm::TwoElementMap();  // x 0, 1, 3; y 0, 2; z -1, 1
    const auto with = [&](std::vector<double> test_efm::MapContents::*axis, std::vector<double> lines) {
        test_efm::MapContents map = good;
        map.*axis = std::move(lines);
        return test_efm::Bytes(map.Blocks());
    };
    const std::string good_bytes = test_efm::Bytes(good.Blocks());
    const std::vector<std::pair<std::string, std::string>> cases{
        {with(&test_efm::MapContents::x, {2, 1, 0}),
         "The x mesh lines are not strictly increasing: line 1 at 1 follows 2."},
        {with(&test_efm::MapContents::y, {2, 2}),
         "The y mesh lines are not strictly increasing: line 1 at 2 follows 2."},
        {with(&test_efm::MapContents::x, {kNaN, 1, 3}), "The x mesh line 0 is not a finite number."},
        {with(&test_efm::MapContents::z, {-kInfinity, 1}), "The z mesh line 0 is not a finite number."},
        {with(&test_efm::MapContents::x, {-1e308, 0, 1e308}),
         "The x mesh lines from -1e+308 to 1e+308 span a length that is not a finite number."},
        {good_bytes + '\0', "the file has " + std::to_string(good_bytes.size() + 1) +
                                " bytes, but its header and material records imply " +
                                std::to_string(good_bytes.size())},
    };
    for (const auto& [bytes, problem] : cases) {
        SCOPED_TRACE(problem);
        std::istringstream in(bytes);
        try {
            efm::Reader reader(in, bytes.size());
            ADD_FAILURE() << "the reader accepted the file";
        } catch (const efm::FormatError& error) {
            EXPECT_EQ(error.what(), problem);
        }
        std::istringstream again(bytes);
        const efm::Report report = efm::Inspect(again, bytes.size());
        EXPECT_EQ(report.problems, std::vector<std::string>{problem});
        EXPECT_TRUE(report.warnings.empty()) << report.warnings.front();
    }
}

}  // namespace
