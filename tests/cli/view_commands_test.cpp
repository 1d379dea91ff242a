// preview, convert and probe as the command line runs them: what their options accept, their
// exit statuses and messages, and the files and output they make of the demo's export.
#include "cli/convert_command.h"
#include "cli/inspect_command.h"
#include "cli/preview_command.h"
#include "cli/preview_painting.h"
#include "cli/probe_command.h"
#include "tests/support/demo_export.h"
#include "tests/support/test_files.h"

#include <gtest/gtest.h>
#include <CLI/CLI.hpp>
#include <QImage>
#include <nlohmann/json.hpp>

#include <filesystem>
#include <limits>
#include <sstream>

using namespace brenwick;

namespace {

using test_files::TempDir;

struct Commands {
    Commands() {
        AddPreviewCommand(app, preview);
        AddConvertCommand(app, convert);
        AddProbeCommand(app, probe);
    }
    // Parses "brenwick-cli <arguments>"; a CLI::ParseError is what brenwick-cli answers with
    // the usage status 2.
    bool Parses(std::vector<std::string> arguments) {
        arguments.insert(arguments.begin(), "brenwick-cli");
        std::vector<const char*> argv;
        for (const std::string& argument : arguments) argv.push_back(argument.c_str());
        try {
            app.parse(static_cast<int>(argv.size()), argv.data());
            return true;
        } catch (const CLI::ParseError&) {
            return false;
        }
    }
    CLI::App app;
    PreviewOptions preview;
    ConvertOptions convert;
    ProbeOptions probe;
};

TEST(ViewCommandOptions, UsageErrorsAreParseErrors) {
    struct Case {
        std::vector<std::string> arguments;
        bool parses;
    };
    const std::vector<Case> cases{
        {{"preview", "f.efm", "--output", "p.png"}, true},
        {{"preview", "f.efm", "--output", "p.png", "--axis", "x", "--at", "-2.5", "--size", "800x600"}, true},
        {{"preview", "f.efm"}, false},
        {{"preview", "f.efm", "-o", "p.png", "--at", "1", "--index", "2"}, false},
        {{"preview", "f.efm", "-o", "p.png", "--axis", "w"}, false},
        {{"preview", "f.efm", "-o", "p.png", "--size", "10x10"}, false},
        {{"preview", "f.efm", "-o", "p.png", "--size", "800 by 600"}, false},
        {{"preview", "f.efm", "-o", "p.png", "--index", "two"}, false},
        {{"convert", "f.efm", "--output", "f.vtr"}, true},
        {{"convert", "f.efm"}, false},
        {{"probe", "f.efm", "1", "-2.5", "3", "4", "5", "6", "--json"}, true},
        {{"probe", "f.efm", "1", "2"}, false},
        {{"probe", "f.efm"}, false},
        {{"probe", "f.efm", "1", "2", "x"}, false},
    };
    for (const Case& c : cases) {
        Commands commands;
        EXPECT_EQ(commands.Parses(c.arguments), c.parses) << testing::PrintToString(c.arguments);
    }
    Commands commands;
    ASSERT_TRUE(commands.Parses({"probe", "f.efm", "1", "-2.5", "3"}));
    EXPECT_EQ(commands.probe.coordinates, (std::vector<double>{1, -2.5, 3}));
}

TEST(ViewCommandOptions, PictureSizeIsWidthTimesHeightWithinTheAllowedSizes) {
    EXPECT_EQ(ParsePictureSize("800x600"), (std::array<int, 2>{800, 600}));
    EXPECT_EQ(ParsePictureSize("480x240"), (std::array<int, 2>{480, 240}));
    for (const char* text : {"479x600", "800x239", "10001x600", "800X600", "x600", "800x", "-800x600", ""}) {
        EXPECT_FALSE(ParsePictureSize(text).has_value()) << text;
    }
}

class ViewCommands : public testing::Test {
protected:
    ViewCommands() {
        test_efm::Write(efm, demo.Blocks());
        test_efm::Write(weighting, demo.Blocks(true));
        test_files::WriteText(not_efm, "<Materials/>\n");
    }

    TempDir dir;
    const test_efm::MapContents demo = test_efm::DemoExport({9, 8, 7});
    const std::string efm = dir / "demo.efm";
    const std::string weighting = dir / "weighting.efm";
    const std::string not_efm = dir / "materials.xml";
    std::ostringstream out, err;
};

TEST_F(ViewCommands, PreviewWritesThePictureAndRefusesWhatItCannotDraw) {
    ASSERT_EQ(RunPreview({efm, dir / "slice.png", "y", std::nullopt, 3, ""}, out, err, PaintSlice), 0) << err.str();
    EXPECT_EQ(out.str(), "Picture written to: " + dir / "slice.png" + "\n");
    const QImage picture(QString::fromStdString(dir / "slice.png"));
    EXPECT_EQ(picture.width(), 1400);

    struct Case {
        PreviewOptions options;
        std::string message;
    };
    const std::vector<Case> cases{
        {{efm, dir / "a.png", "z", std::nullopt, 7, ""}, "preview: the plane index 7 lies outside 0 to 6 along z\n"},
        {{efm, dir / "a.png", "x", 13.0, std::nullopt, ""},
         "preview: the coordinate 13 lies outside the mesh along x (0 to 12)\n"},
        {{weighting, dir / "a.png", "z", 1.0, std::nullopt, ""},
         "preview: the file holds only potentials, without mesh lines: choose the plane by its index\n"},
        {{not_efm, dir / "a.png", "z", std::nullopt, std::nullopt, ""},
         "preview: " + not_efm +
             " is no readable export file: the file has 13 bytes, fewer than its 1000-byte header\n"},
        {{efm, efm, "z", std::nullopt, std::nullopt, ""},
         "preview: the output " + efm + " is the input file; choose another output\n"},
        {{efm, dir / "no/such/dir/a.png", "z", std::nullopt, std::nullopt, ""},
         "preview: cannot write " + dir / "no/such/dir/a.png"},
    };
    for (const Case& c : cases) {
        std::ostringstream failure;
        EXPECT_EQ(RunPreview(c.options, out, failure, PaintSlice), 1);
        EXPECT_EQ(failure.str().substr(0, c.message.size()), c.message);
    }
    EXPECT_FALSE(std::filesystem::exists(dir / "a.png"));
    EXPECT_EQ(test_files::ReadBytes(efm).size(), test_efm::Bytes(demo.Blocks()).size());
}

TEST_F(ViewCommands, ConvertWritesTheVtkFileAndNeverOverItsInput) {
    ASSERT_EQ(RunConvert({efm, dir / "demo.vtr"}, out, err), 0) << err.str();
    EXPECT_EQ(out.str(), "VTK file written to: " + dir / "demo.vtr" + "\n");
    EXPECT_TRUE(std::filesystem::is_regular_file(dir / "demo.vtr"));

    EXPECT_EQ(RunConvert({efm, efm}, out, err), 1);
    EXPECT_EQ(test_files::ReadBytes(efm).size(), test_efm::Bytes(demo.Blocks()).size());
    EXPECT_EQ(RunConvert({not_efm, dir / "x.vtr"}, out, err), 1);
    EXPECT_FALSE(std::filesystem::exists(dir / "x.vtr"));
}

// Pictures and conversions go through the export's own output rules: a file with a second hard
// link is written where it is, so that both names keep showing the same, new contents.
TEST_F(ViewCommands, OutputsKeepTheLinksOfAFileTheyReplace) {
    for (const std::string name : {"linked.png", "linked.vtr"}) {
        SCOPED_TRACE(name);
        const std::string path = dir / name;
        test_files::WriteText(path, "old contents");
        std::filesystem::create_hard_link(path, dir / ("other-" + name));
        const bool picture = name.ends_with(".png");
        ASSERT_EQ(picture ? RunPreview({efm, path, "z", std::nullopt, std::nullopt, ""}, out, err, PaintSlice)
                          : RunConvert({efm, path}, out, err),
                  0)
            << err.str();
        EXPECT_EQ(std::filesystem::hard_link_count(path), 2u);
        EXPECT_NE(test_files::ReadText(path), "old contents");
        EXPECT_EQ(test_files::ReadBytes(dir / ("other-" + name)), test_files::ReadBytes(path));
    }
}

TEST_F(ViewCommands, ProbePrintsAnObjectPerPointWithTheValuesOnlyInside) {
    ASSERT_EQ(RunProbe({efm, {6, 4.5, 3, 13, 0, 0}, true}, out, err), 0) << err.str();
    const nlohmann::json points = nlohmann::json::parse(out.str());
    ASSERT_TRUE(points.is_array());
    ASSERT_EQ(points.size(), 2u);
    const nlohmann::json& inside = points[0];
    EXPECT_EQ(inside["point"], (std::vector<double>{6, 4.5, 3}));
    EXPECT_TRUE(inside["inside"].get<bool>());
    EXPECT_EQ(inside["element"].size(), 3u);
    EXPECT_EQ(inside["material"], (nlohmann::json{{"index", 0}, {"id", 0.0}, {"description", "gas"}, {"gas", true}}));
    EXPECT_TRUE(inside["potential"].is_number());
    EXPECT_EQ(inside["field"].size(), 3u);
    const nlohmann::json& outside = points[1];
    EXPECT_FALSE(outside["inside"].get<bool>());
    for (const char* key : {"element", "material", "potential", "field"}) EXPECT_FALSE(outside.contains(key)) << key;

    std::ostringstream text;
    ASSERT_EQ(RunProbe({efm, {13, 0, 0}, false}, text, err), 0);
    EXPECT_EQ(text.str(), "point (13, 0, 0): outside the mesh\n");

    std::ostringstream failure;
    EXPECT_EQ(RunProbe({weighting, {1, 1, 1}, false}, out, failure), 1);
    EXPECT_EQ(failure.str(),
              "probe: the file holds only potentials, without mesh lines: its points have no coordinates\n");
}

// What every reader of the format refuses ends each viewing command with one line naming the
// file and the fault, and nothing written.
TEST_F(ViewCommands, MalformedFilesEndEachCommandWithOneLine) {
    test_efm::MapContents not_finite = demo;
    not_finite.x.front() = std::numeric_limits<double>::quiet_NaN();
    test_efm::Write(dir / "not-finite.efm", not_finite.Blocks());
    std::vector<unsigned char> longer = test_files::ReadBytes(efm);
    longer.push_back(0);
    test_files::WriteBytes(dir / "longer.efm", longer);
    const std::vector<std::pair<std::string, std::string>> files{
        {dir / "not-finite.efm", "The x mesh line 0 is not a finite number."},
        {dir / "longer.efm", "the file has " + std::to_string(longer.size()) +
                                 " bytes, but its header and material records imply " +
                                 std::to_string(longer.size() - 1)},
    };
    const std::string output = dir / "out";
    const auto run = [&](const std::string& command, const std::string& path, std::ostream& failure) {
        if (command == "preview")
            return RunPreview({path, output, "z", std::nullopt, std::nullopt, ""}, out, failure, PaintSlice);
        if (command == "convert") return RunConvert({path, output}, out, failure);
        return RunProbe({path, {6, 4.5, 3}, false}, out, failure);
    };
    for (const auto& [path, reason] : files) {
        for (const std::string command : {"preview", "convert", "probe"}) {
            std::ostringstream failure;
            EXPECT_EQ(run(command, path, failure), 1) << command;
            EXPECT_EQ(failure.str(), command + ": " + path + " is no readable export file: " + reason + "\n");
        }
    }
    EXPECT_TRUE(out.str().empty()) << out.str();
    EXPECT_FALSE(std::filesystem::exists(output));
}

// Descriptions are bytes in the encoding of the material file they came from; the JSON reports
// show a byte that is no part of UTF-8 as U+FFFD.
TEST_F(ViewCommands, JsonReportsReplaceDescriptionBytesThatAreNoUtf8) {
    test_efm::MapContents latin1 = demo;
    latin1.records[0].description = "\xE9t\xE9";
    const std::string path = dir / "latin1.efm";
    test_efm::Write(path, latin1.Blocks());
    const std::string replaced = "\uFFFDt\uFFFD";
    std::ostringstream probe_out, inspect_out;
    ASSERT_EQ(RunProbe({path, {6, 4.5, 3}, true}, probe_out, err), 0) << err.str();
    EXPECT_EQ(nlohmann::json::parse(probe_out.str())[0]["material"]["description"], replaced);
    ASSERT_EQ(RunInspect({path, true}, inspect_out), 0);
    EXPECT_EQ(nlohmann::json::parse(inspect_out.str())["materials"][0]["description"], replaced);
}

}  // namespace
