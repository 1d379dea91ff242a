// Output paths that cannot take the export file, as only the built program meets them (files
// of the system, a full disk): each run ends with the writer's message, inputs and an earlier
// output stay exactly as they were, and no temporary file is left. The engine's own refusals
// (its inputs, a missing folder) are tested with the engine.
#include "cli_export_fixture.h"

#include <filesystem>

using namespace brenwick;

namespace integration {
namespace {

namespace fs = std::filesystem;

class UnusableOutput : public CliExport {
protected:
    UnusableOutput() { WriteProject(demo.contents); }

    std::vector<std::string> ExportTo(const std::string& path, const std::string& option = "--write-property") const {
        return {"export", project, "--output", path, "--materials", materials, option};
    }
};

TEST_F(UnusableOutput, FilesOfTheSystemAreRefused) {
#if defined(_WIN32)
    GTEST_SKIP() << "Windows has no /proc";
#else
    for (const std::string path : {"/proc/version", "/proc/brenwick-field.efm"}) {
        SCOPED_TRACE(path);
        const bool exists = fs::exists(path);
        const std::vector<unsigned char> before = exists ? test_files::ReadBytes(path) : std::vector<unsigned char>{};
        ExpectRefusalOnce(ExportTo(path), OutputOpenFailure(path));
        EXPECT_EQ(fs::exists(path), exists);
        if (exists) {
            EXPECT_EQ(test_files::ReadBytes(path), before);
        }
    }
#endif
}

TEST_F(UnusableOutput, FullDiskIsReportedAndKeepsAnEarlierOutput) {
#if defined(_WIN32)
    GTEST_SKIP() << "Windows has no file size limit for a process";
#else
    // The export file of the 5 x 4 x 3 demo has about 1700 bytes: the limit stops it in its
    // node values.
    ExpectRefusal(ExportArguments(), OutputWriteFailure(output), WithFileSizeLimit(1100));
#endif
}

}  // namespace
}  // namespace integration
