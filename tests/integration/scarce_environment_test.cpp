// brenwick-cli where a desktop's comforts are missing: a Qt platform that cannot start.
#include "cli_export_fixture.h"
#include "tests/support/environment_variable.h"

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
        fs::copy_file(output, efm);
    }

    const std::string efm = dir / "input.efm";
    const std::string picture = dir / "picture.png";
};

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

}  // namespace
}  // namespace integration
