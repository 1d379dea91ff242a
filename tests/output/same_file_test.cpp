// When an output names an input: every spelling of one file, and names of files not made yet.
#include "output/output_target.h"
#include "tests/support/test_files.h"

#include <gtest/gtest.h>

#include <filesystem>

using namespace brenwick;
using namespace test_files;
namespace fs = std::filesystem;

TEST(SameFile, EverySpellingOfTheInputIsTheInput) {
    const TempDir dir;
    WriteText(dir / "input.cst", "the input");
    WriteText(dir / "other.cst", "another file");
    fs::create_directory(dir / "sub");
    fs::create_hard_link(dir / "input.cst", dir / "hard.efm");
    std::vector<std::string> spellings{dir / "input.cst", dir / "sub/../input.cst", dir / "./sub/.././input.cst",
                                       dir / "hard.efm"};
    if (CanMakeSymbolicLinks()) {
        fs::create_symlink("input.cst", dir / "link.efm");
        spellings.push_back(dir / "link.efm");
    }
    for (const std::string& output : spellings) {
        EXPECT_TRUE(SameFile(OutputDestination(output), dir / "input.cst")) << output;
    }
    for (const std::string& output : {dir / "other.cst", dir / "new.efm", dir / "sub"}) {
        EXPECT_FALSE(SameFile(OutputDestination(output), dir / "input.cst")) << output;
    }
    EXPECT_FALSE(SameFile(OutputDestination(dir / "input.cst"), ""));
}

TEST(SameFile, NamesOfFilesNotMadeYetAreTheSameWhenTheyLeadToOnePlace) {
    const TempDir dir;
    fs::create_directory(dir / "sub");
    std::vector<std::string> spellings{dir / "new.efm", dir / "sub/../new.efm"};
    if (CanMakeSymbolicLinks()) {
        fs::create_symlink("new.efm", dir / "dangling.efm");
        fs::create_directory_symlink("sub", dir / "folder link");
        spellings.push_back(dir / "dangling.efm");
    }
    for (const std::string& output : spellings) {
        EXPECT_TRUE(SameFile(OutputDestination(output), dir / "new.efm")) << output;
    }
    EXPECT_FALSE(SameFile(OutputDestination(dir / "sub/new.efm"), dir / "new.efm"));
    if (CanMakeSymbolicLinks()) {
        EXPECT_TRUE(SameFile(OutputDestination(dir / "folder link/a"), dir / "sub/a"));
    }
    EXPECT_FALSE(SameFile(OutputDestination::StandardOutput(), dir / "new.efm"));
}
