// That `brenwick-cli export` writes its output by the output rules (tested row by row in
// tests/output): a replaced file keeps its owner, group and permissions, and a FIFO waits for
// its reader, says so, and then receives every byte.
#include "cli_export_fixture.h"
#include "dir_snapshot.h"

#if !defined(_WIN32)
#include <sys/stat.h>
#include <unistd.h>
#endif

#include <chrono>
#include <filesystem>
#include <thread>

namespace integration {
namespace {

namespace fs = std::filesystem;

#if !defined(_WIN32)
class OutputPolicy : public CliExport {
protected:
    OutputPolicy() {
        WriteProject(demo.contents);
        const test_files::TempDir elsewhere;
        ExpectSuccess(RunCli(ExportTo(elsewhere / "reference.efm")));
        reference = test_files::ReadBytes(elsewhere / "reference.efm");
    }

    std::vector<std::string> ExportTo(const std::string& path) const {
        return {"export", project, "--output", path, "--materials", materials};
    }

    // What a path names, symbolic links followed.
    static struct stat StatusOf(const std::string& path) {
        struct stat status {};
        if (stat(path.c_str(), &status) != 0) ADD_FAILURE() << "stat " << path;
        return status;
    }

    std::vector<unsigned char> reference;  // the bytes of the export, as a new file receives them
};
#else
// These rows are about owners, modes and FIFOs of POSIX systems; the Windows rules have their
// own tests (WindowsOutputPolicy).
class OutputPolicy : public CliExport {};
#endif

TEST_F(OutputPolicy, AReplacedFileKeepsItsOwnerGroupAndPermissions) {
#if defined(_WIN32)
    GTEST_SKIP() << "a row of the POSIX output rules";
#else
    test_files::WriteText(output, "earlier");
    // Root may write a file whose mode allows no writing, and give the new file another owner.
    const bool root = geteuid() == 0;
    if (root) {
        ASSERT_EQ(chown(output.c_str(), 65534, 65534), 0);  // nobody's
    }
    fs::permissions(output, root ? fs::perms::owner_read | fs::perms::group_read
                                 : fs::perms::owner_read | fs::perms::owner_write | fs::perms::others_read);
    const struct stat before = StatusOf(output);
    ExpectExport(ExportArguments());
    const struct stat after = StatusOf(output);
    EXPECT_NE(after.st_ino, before.st_ino) << "not replaced by a complete new file";
    EXPECT_EQ(after.st_uid, before.st_uid);
    EXPECT_EQ(after.st_gid, before.st_gid);
    EXPECT_EQ(after.st_mode, before.st_mode);
    EXPECT_EQ(test_files::ReadBytes(output), reference);
#endif
}

TEST_F(OutputPolicy, AFifoWaitsForAReaderSaysSoAndThenReceivesEveryByte) {
#if defined(_WIN32)
    GTEST_SKIP() << "a row of the POSIX output rules";
#else
    const std::string fifo = dir / "fifo.efm";
    ASSERT_EQ(mkfifo(fifo.c_str(), 0644), 0);
    const Snapshot before = TakeSnapshot(dir.path());
    CliProcess export_run(ExportTo(fifo));
    // The reader comes only once the export has said that it waits for one.
    const std::string notice = "Waiting for a reader of the FIFO " + fifo + "\n";
    for (int wait = 0; wait < 3000 && export_run.ErrorSoFar() != notice; ++wait) {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    EXPECT_EQ(export_run.ErrorSoFar(), notice);
    const std::vector<unsigned char> received = test_files::ReadBytes(fifo);
    const CliRun run = export_run.Wait();
    EXPECT_TRUE(run.exited && run.status == 0) << Describe(run);
    EXPECT_EQ(received, reference);
    EXPECT_EQ(Differences(before, TakeSnapshot(dir.path())), "");
#endif
}

}  // namespace
}  // namespace integration
