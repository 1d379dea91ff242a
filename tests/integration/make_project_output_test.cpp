// make-project writes the project and the material file as every output is written: a write
// that fails (a file size limit) ends with status 1 and the message, leaves an earlier project
// with its bytes and no temporary file, also through a symbolic link; a symbolic link stays and
// its target takes the new project; a material file that turns out to be the project under
// another name (a bind mount) is refused once the written project shows it, and the project
// stays as written.
#include "cli_process.h"
#include "dir_snapshot.h"
#include "reader_contract/result_reader.h"
#include "tests/support/test_files.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace integration {
namespace {

namespace fs = std::filesystem;

constexpr std::array<int, 3> kMesh{30, 30, 30};  // a project of about 760 kB

std::vector<std::string> MakeProject(const std::string& project, const std::vector<std::string>& more = {}) {
    std::vector<std::string> arguments{"make-project", project, "--mesh"};
    for (const int lines : kMesh) arguments.push_back(std::to_string(lines));
    arguments.insert(arguments.end(), more.begin(), more.end());
    return arguments;
}

// The mesh lines of the project at `path`, as the built-in reader reads them; zeros when it
// cannot be opened.
std::array<int, 3> MeshOf(const std::string& path) {
    std::array<int, 3> dims{};
    CSTProjHandle handle{};
    if (CST_OpenProject(path.c_str(), &handle) != 0) return dims;
    if (CST_GetHexMeshInfo(&handle, dims.data()) != 0) dims = {};
    CST_CloseProject(&handle);
    return dims;
}

struct Case {
    std::string name;
    std::vector<std::string> arguments;
    CliSetup setup;
    std::string message;  // the whole of standard error; empty: the command succeeds
    // Entries of the scratch folder that the command writes; nothing else may change.
    std::vector<std::string> written;
};

TEST(MakeProjectOutputs, FailuresKeepWhatWasThereAndLinksLeadToTheirTarget) {
#if defined(_WIN32)
    GTEST_SKIP() << "file size limits, symbolic links and bind mounts are POSIX";
#else
    const test_files::TempDir dir;
    // An earlier project of another mesh, under its own name and behind a link.
    ASSERT_EQ(RunCli({"make-project", dir / "earlier.cst", "--mesh", "5", "4", "3"}).status, 0);
    fs::create_directory(dir.path() / "real");
    fs::copy_file(dir / "earlier.cst", dir / "real/target.cst");
    fs::create_symlink("real/target.cst", dir.path() / "link.cst");
    const std::string write_failure = "make-project: WriteProjectFile: cannot write the file ";
    const std::uint64_t limit = 100000;

    std::vector<Case> cases{
        {"a file size limit",
         MakeProject(dir / "earlier.cst"),
         WithFileSizeLimit(limit),
         write_failure + (dir / "earlier.cst") + "\n",
         {}},
        {"a file size limit through a link",
         MakeProject(dir / "link.cst"),
         WithFileSizeLimit(limit),
         write_failure + (dir / "link.cst") + "\n",
         {}},
        {"a link",
         MakeProject(dir / "link.cst", {"--materials-out", dir / "m.xml"}),
         {},
         "",
         {"real/target.cst", "m.xml"}},
    };
    const bool bind_mounts = BindMountsPossible();
    if (bind_mounts) {
        fs::create_directory(dir.path() / "folder");
        fs::create_directory(dir.path() / "second");
        const std::string project = dir / "folder/p.cst";
        cases.push_back({"the project under a second name",
                         MakeProject(project, {"--materials-out", dir / "second/p.cst"}),
                         WithBoundFolder(dir / "folder", dir / "second"),
                         "make-project: The material file would overwrite the project file: " + project + "\n",
                         {"folder/p.cst"}});
    }

    for (const Case& test : cases) {
        SCOPED_TRACE(test.name);
        Snapshot before = TakeSnapshot(dir.path());
        const CliRun run = RunCli(test.arguments, test.setup);
        ASSERT_TRUE(run.exited) << Describe(run) << "\n" << run.err;
        EXPECT_EQ(run.status, test.message.empty() ? 0 : 1);
        EXPECT_EQ(run.err, test.message);
        Snapshot after = TakeSnapshot(dir.path());
        for (const std::string& entry : test.written) {
            if (entry.ends_with(".cst")) {
                EXPECT_EQ(MeshOf(dir / entry), kMesh) << entry;
            }
            EXPECT_TRUE(after.erase(entry)) << entry << " was not written";
            before.erase(entry);
        }
        EXPECT_EQ(Differences(before, after), "");
    }
    if (!bind_mounts)
        GTEST_SKIP() << "no bind mount can be made here (it needs root): a material file that is the "
                        "project under a second name was not tried";
#endif
}

}  // namespace
}  // namespace integration
