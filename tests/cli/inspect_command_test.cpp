// inspect as the command line runs it: its exit status and its text and JSON reports.
#include "cli/inspect_command.h"
#include "efm/format.h"
#include "tests/support/efm_files.h"
#include "tests/support/test_files.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <sstream>

using namespace brenwick;

namespace {

using test_files::TempDir;

std::string KeyOf(efm::Key key) { return std::string(efm::KeyName(key)); }

TEST(InspectCommand, ExitStatusAndJsonFollowTheReport) {
    TempDir dir;
    test_efm::Write(dir / "good.efm", test_efm::TwoElementMap().Blocks());
    std::ostringstream text;
    EXPECT_EQ(RunInspect({dir / "good.efm", false}, text), 0);
    EXPECT_NE(text.str().find("Result: well-formed"), std::string::npos);

    std::ostringstream json_out;
    EXPECT_EQ(RunInspect({dir / "good.efm", true}, json_out), 0);
    const nlohmann::json json = nlohmann::json::parse(json_out.str());
    EXPECT_EQ(json.at(KeyOf(efm::Key::n_materials)), 2);
    EXPECT_EQ(json.at(KeyOf(efm::Key::elements_material)), 2);
    EXPECT_EQ(json.at("materials").at(1).at("description"), "FR4");
    EXPECT_EQ(json.at("valid"), true);
    EXPECT_TRUE(json.at("problems").empty());

    const std::vector<unsigned char> good = test_files::ReadBytes(dir / "good.efm");
    test_files::WriteBytes(dir / "cut.efm", std::span(good).first(good.size() - 1));
    std::ostringstream cut_out;
    EXPECT_EQ(RunInspect({dir / "cut.efm", true}, cut_out), 1);
    EXPECT_EQ(nlohmann::json::parse(cut_out.str()).at("valid"), false);

    std::ostringstream missing;
    EXPECT_EQ(RunInspect({dir / "missing.efm", false}, missing), 1);
    EXPECT_EQ(RunInspect({dir.path().string(), false}, missing), 1);
}

}  // namespace
