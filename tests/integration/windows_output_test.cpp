// How `brenwick-cli export` writes an existing output on Windows: a read-only file, and one
// that another program holds open, stay as they were and the message says why; a file with
// two hard links is written in place, so that both names show the export. The POSIX rules
// have their own tests (OutputPolicy in tests/output).
#include "cli_export_fixture.h"
#include "platform/utf8_path.h"

#if defined(_WIN32)
#include <windows.h>
#endif

#include <filesystem>

namespace integration {
namespace {

class WindowsOutputPolicy : public CliExport {
protected:
    WindowsOutputPolicy() {
        WriteProject(demo.contents);
        ExpectExport(ExportArguments());
        reference = test_files::ReadBytes(output);
        test_files::WriteText(output, "old");
    }

    // Expects the export to fail with `message`, the system's reason on the next line, and
    // the old file as it was with nothing left beside it.
    void ExpectRefusalWithReason(const std::string& message) const {
        const CliRun run = RunCli(ExportArguments());
        EXPECT_TRUE(run.exited && run.status == 1) << Describe(run);
        EXPECT_EQ(run.err.rfind(message + "\n", 0), 0u) << run.err;
        EXPECT_GT(run.err.size(), message.size() + 2) << "no reason follows: " << run.err;
        EXPECT_EQ(test_files::ReadText(output), "old");
        EXPECT_EQ(dir.Entries(), (std::set<std::string>{"project.cst", "materials.xml", "field.efm"}));
    }

    std::vector<unsigned char> reference;  // the bytes of the export
};

TEST_F(WindowsOutputPolicy, AReadOnlyFileIsRefusedAndTheMessageSaysWhy) {
#if !defined(_WIN32)
    GTEST_SKIP() << "a rule of Windows";
#else
    const std::wstring path = PathFromText(output).wstring();
    ASSERT_TRUE(SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_READONLY));
    ExpectRefusalWithReason(OutputOpenFailure(output));
    SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
#endif
}

TEST_F(WindowsOutputPolicy, AFileAnotherProgramHoldsOpenStaysAsItWasAndTheMessageSaysWhy) {
#if !defined(_WIN32)
    GTEST_SKIP() << "a rule of Windows";
#else
    // What the other program lets others do with the file meanwhile: neither writing nor
    // replacing it, or writing but not replacing it.
    for (const DWORD sharing : {DWORD{FILE_SHARE_READ}, DWORD{FILE_SHARE_READ | FILE_SHARE_WRITE}}) {
        SCOPED_TRACE(sharing);
        const HANDLE held = CreateFileW(PathFromText(output).wstring().c_str(), GENERIC_READ, sharing, nullptr,
                                        OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
        ASSERT_NE(held, INVALID_HANDLE_VALUE);
        ExpectRefusalWithReason(OutputOpenFailure(output));
        CloseHandle(held);
    }
#endif
}

TEST_F(WindowsOutputPolicy, AFileWithTwoHardLinksIsWrittenInPlace) {
#if !defined(_WIN32)
    GTEST_SKIP() << "a rule of Windows";
#else
    const std::string second = dir / "second name.efm";
    std::filesystem::create_hard_link(PathFromText(output), PathFromText(second));
    ExpectSuccess(RunCli(ExportArguments()));
    EXPECT_EQ(test_files::ReadBytes(output), reference);
    EXPECT_EQ(test_files::ReadBytes(second), reference);
#endif
}

}  // namespace
}  // namespace integration
