// Which paths an output takes as they stand, which it refuses without creating anything, and
// how symbolic links lead it to their last target.
#include "output/output_file.h"
#include "tests/support/test_files.h"

#include <gtest/gtest.h>

#include <climits>
#include <filesystem>
#include <iterator>
#include <stdexcept>
#include <vector>

using namespace brenwick;
using namespace test_files;
namespace fs = std::filesystem;

namespace {

const std::string kContents = "the new contents";

// Writes kContents to `path`; the failure's text, or "" when the output was written.
std::string Write(const std::string& path) {
    try {
        OutputFile output{OutputDestination(path)};
        output.Write(kContents.data(), kContents.size());
        output.Commit();
        return "";
    } catch (const std::runtime_error& failure) {
        return failure.what();
    }
}

// Runs in `folder` for one scope, for the paths that name a file relative to it.
class InFolder {
public:
    explicit InFolder(const fs::path& folder) : previous_(fs::current_path()) { fs::current_path(folder); }
    ~InFolder() { fs::current_path(previous_); }
    InFolder(const InFolder&) = delete;
    InFolder& operator=(const InFolder&) = delete;

private:
    fs::path previous_;
};

#if !defined(_WIN32)
// A path of `length` bytes to a file named "f" in folders below `dir`, each name shorter than
// the longest a name may be.
std::string LongPath(const std::string& dir, std::size_t length) {
    std::string folder = dir;
    while (length - 2 - folder.size() > 250) folder += "/" + std::string(200, 'd');
    folder += "/" + std::string(length - 2 - folder.size() - 1, 'e');
    return folder + "/f";
}
#endif

}  // namespace

TEST(OutputFile, APathIsTakenAsItStands) {
    const TempDir dir;
    const InFolder in_dir(dir.path());
    struct Case {
        std::string path;
        std::string entry;  // what it adds to the scratch directory
    };
    // No extension is added, a dash is a file named dash, and the longest name is written.
    std::vector<Case> cases{{"field map", "field map"}, {"-", "-"}, {std::string(255, 'f'), std::string(255, 'f')}};
#if !defined(_WIN32)
    // So is the longest path, although its temporary file's name is longer than its own.
    cases.push_back({LongPath(dir.path().string(), PATH_MAX - 10), std::string(200, 'd')});
#endif
    for (const Case& with : cases) {
        SCOPED_TRACE(with.path);
        const fs::path folder = fs::path(with.path).parent_path();
        if (!folder.empty()) fs::create_directories(folder);
        ASSERT_EQ(Write(with.path), "");
        EXPECT_EQ(ReadText(with.path), kContents);
        EXPECT_EQ(dir.Entries(), std::set<std::string>{with.entry});
        EXPECT_EQ(std::distance(fs::directory_iterator(folder.empty() ? "." : folder), fs::directory_iterator()), 1)
            << "a temporary file was left";
        fs::remove_all(dir / with.entry);
    }
}

TEST(OutputFile, APathThatCannotNameAWritableFileIsRefusedAndNothingIsCreated) {
    const TempDir dir;
    const InFolder in_dir(dir.path());
    WriteText(dir / "regular", "a file");
    std::set<std::string> entries{"regular"};
    std::vector<std::string> paths{"", dir / "no such dir/out.efm", dir / "regular/out.efm", dir / "out.efm/"};
    if (CanMakeSymbolicLinks()) {
        fs::create_symlink("loop", dir / "loop");
        fs::create_symlink("other.efm", dir / "out.efm");
        fs::create_symlink("out.efm", dir / "other.efm");
        entries.insert({"loop", "out.efm", "other.efm"});
        paths.insert(paths.end(), {dir / "loop/out.efm", dir / "out.efm"});
    }
    for (const std::string& path : paths) {
        SCOPED_TRACE(path);
        EXPECT_EQ(Write(path), "cannot write " + path);
        EXPECT_EQ(dir.Entries(), entries);
    }
    EXPECT_EQ(ReadText(dir / "regular"), "a file");
    if (CanMakeSymbolicLinks()) {
        EXPECT_EQ(fs::read_symlink(dir / "out.efm"), "other.efm");
    }
}

TEST(OutputFile, SymbolicLinksStayAndTheirLastTargetTakesTheOutput) {
    if (!CanMakeSymbolicLinks()) GTEST_SKIP() << kNoSymbolicLinks;
    const TempDir dir;
    fs::create_directory(dir / "real");
    fs::create_directory(dir / "links");
    WriteText(dir / "real/target.efm", "old");
    fs::create_symlink("../real/target.efm", dir / "links/second");
    fs::create_symlink("real/target.efm", dir / "direct.efm");
    fs::create_symlink("links/second", dir / "chain.efm");
    fs::create_symlink("real/new.efm", dir / "dangling.efm");
    struct Case {
        const char* link;
        const char* target;
    };
    for (const Case& link : {Case{"direct.efm", "real/target.efm"}, Case{"chain.efm", "real/target.efm"},
                             Case{"dangling.efm", "real/new.efm"}}) {
        SCOPED_TRACE(link.link);
        WriteText(dir / "real/target.efm", "old");
        ASSERT_EQ(Write(dir / link.link), "");
        EXPECT_TRUE(fs::is_symlink(fs::symlink_status(dir / link.link)));
        EXPECT_EQ(ReadText(dir / link.target), kContents);
    }
    EXPECT_TRUE(fs::is_symlink(fs::symlink_status(dir / "links/second")));
    EXPECT_EQ(dir.Entries(), (std::set<std::string>{"real", "links", "direct.efm", "chain.efm", "dangling.efm"}));
    EXPECT_EQ(std::distance(fs::directory_iterator(dir / "real"), fs::directory_iterator()), 2);
}
