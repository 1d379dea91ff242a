// brenwick-cli where a desktop's comforts are missing: no room for another thread, a Qt platform
// that cannot start. Every command still does its work, with the bytes it writes anywhere else,
// or says why it cannot.
#include "cli_export_fixture.h"
#include "tests/support/environment_variable.h"

#if !defined(_WIN32)
#include <sys/wait.h>
#include <unistd.h>
#endif

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

namespace integration {
namespace {

namespace fs = std::filesystem;

class ScarceEnvironment : public CliExport {
protected:
    ScarceEnvironment() {
        WriteProject(demo.contents);
        ExpectSuccess(RunCli(ExportArguments()));
        reference = test_files::ReadBytes(output);
        fs::copy_file(output, efm);
    }

    const std::string efm = dir / "input.efm";
    const std::string picture = dir / "picture.png";
    std::vector<unsigned char> reference;  // the export's bytes where threads can start
};

// Room for no other thread, for one (which the signals take) and for two, with four threads
// asked for. Every command runs, export on the calling thread; only preview needs a thread, for
// Qt's painting.
TEST_F(ScarceEnvironment, EveryCommandRunsWhereNoThreadOrOnlyOneCanStart) {
#if defined(_WIN32)
    GTEST_SKIP() << "a limit on a user's threads and processes: POSIX only";
#else
    if (geteuid() != 0) GTEST_SKIP() << "needs root, to run the program as a user that no other process has";
    const auto user = static_cast<unsigned>(2000000000 + getpid());
    ASSERT_EQ(chown(dir.path().c_str(), user, user), 0);
    struct Case {
        std::vector<std::string> arguments;
        std::uint64_t least_tasks;  // fewer end with status 1 and `refusal`
        std::string refusal;
    };
    const std::vector<Case> cases {
        {ExportArguments(), 1, ""}, {{"inspect", efm}, 1, ""}, {{"probe", efm, "0.1", "0.1", "0.1"}, 1, ""},
            {{"convert", efm, "--output", dir / "map.vtr"}, 1, ""},
            {{"make-project", dir / "made.cst", "--materials-out", dir / "made.xml"}, 1, ""},
#if defined(BRENWICK_HAS_QT)
            {{"preview", efm, "--output", picture}, 3, "preview: no thread could be started to draw the picture\n"},
#endif
    };
    // A sanitized build's leak check stops the program's threads from a thread of its own at the
    // end, which these limits forbid; the commands' own work is what this test is about.
    const test_files::EnvironmentVariableScope no_leak_check("ASAN_OPTIONS", "detect_leaks=0");
    for (const std::uint64_t tasks : {1u, 2u, 3u}) {
        CliSetup setup;
        setup.identity = Identity{user, user};
        setup.task_limit = tasks;
        fs::remove(output);
        for (const Case& test : cases) {
            SCOPED_TRACE(test.arguments.front() + ", at most " + std::to_string(tasks) + " tasks");
            std::vector<std::string> arguments{"--threads", "4"};
            arguments.insert(arguments.end(), test.arguments.begin(), test.arguments.end());
            CliProcess command(arguments, setup);
            ASSERT_TRUE(command.EndsWithin(60)) << "waits for a thread that did not start";
            const CliRun run = command.Wait();
            const int status = tasks < test.least_tasks ? 1 : 0;
            EXPECT_TRUE(run.exited && run.status == status) << Describe(run) << "\n" << run.err;
            if (status != 0) {
                EXPECT_EQ(run.err, test.refusal);
            }
        }
        EXPECT_EQ(test_files::ReadBytes(output), reference);
    }
#endif
}

TEST_F(ScarceEnvironment, PreviewDrawsOnWhateverPlatformQtIsGiven) {
#if !defined(BRENWICK_HAS_QT)
    GTEST_SKIP() << "preview needs Qt, which this build lacks";
#else
    // The picture of the platform the command line always had, then with no display for xcb and
    // with a name Qt lacks.
    const test_files::EnvironmentVariableScope no_display("DISPLAY", "");
    std::vector<std::vector<unsigned char>> pictures;
    for (const char* platform : {"offscreen", "xcb", "no-such-platform"}) {
        SCOPED_TRACE(platform);
        const test_files::EnvironmentVariableScope qt_platform("QT_QPA_PLATFORM", platform);
        fs::remove(picture);
        const CliRun run = RunCli({"preview", efm, "--output", picture});
        EXPECT_TRUE(run.exited && run.status == 0) << Describe(run) << "\n" << run.err;
        EXPECT_EQ(run.err, "");
        pictures.push_back(fs::exists(picture) ? test_files::ReadBytes(picture) : std::vector<unsigned char>{});
        EXPECT_EQ(pictures.back(), pictures.front());
    }
#endif
}

#if defined(BRENWICK_HAS_QT) && !defined(BRENWICK_PREVIEW_LINKED)
// preview paints in a module beside the program or in Brenwick's library folder; a program
// without it says where it looked and writes no picture.
TEST_F(ScarceEnvironment, PreviewWithoutItsPaintingModuleSaysWhereItLooked) {
    const fs::path program = fs::path(dir / "bin") / "brenwick-cli";
    fs::create_directories(program.parent_path());
    fs::copy_file(BRENWICK_CLI, program);
    const std::string err = dir / "err.txt";
    const int status = std::system(
        ("'" + program.string() + "' preview '" + efm + "' --output '" + picture + "' 2>'" + err + "'").c_str());
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 1);
    const std::vector<unsigned char> text = test_files::ReadBytes(err);
    EXPECT_EQ(std::string(text.begin(), text.end())
                  .rfind("preview: cannot load the painting module " +
                             (dir / "lib/brenwick/preview/brenwick-preview.so") + ": ",
                         0),
              0u)
        << std::string(text.begin(), text.end());
    EXPECT_FALSE(fs::exists(picture));
}
#endif

}  // namespace
}  // namespace integration
