// SIGINT, SIGTERM and SIGHUP while each command that writes a file writes it: the test holds
// the program at its first write into the temporary file, as a program busy in a reader call or
// in a long write that notices no request to stop, and sends the signal. The program must end
// by that signal on its own, with no temporary file left and the earlier output as it was.
#if !defined(_WIN32)
#include "cli_export_fixture.h"
#include "dir_snapshot.h"

#include <sys/syscall.h>
#include <unistd.h>

#include <csignal>
#include <cstring>
#include <filesystem>

namespace integration {
namespace {

namespace fs = std::filesystem;

// Whether a descriptor of the process is open on a temporary file of an output.
bool IsTemporaryFile(pid_t process, unsigned long long descriptor) {
    std::error_code error;
    const fs::path file =
        fs::read_symlink("/proc/" + std::to_string(process) + "/fd/" + std::to_string(descriptor), error);
    return !error && file.filename().string().starts_with(".brenwick-");
}

class EndingSignal : public CliExport {
protected:
    EndingSignal() {
        WriteProject(demo.contents);
        ExpectSuccess(RunCli({"export", project, "--output", efm, "--materials", materials}));
    }

    const std::string efm = dir / "input.efm";
};

TEST_F(EndingSignal, RemovesTheTemporaryFileAndEndsTheProgramAsTheSignalWould) {
    const std::vector<std::vector<std::string>> commands{ExportArguments(),
                                                         {"preview", efm, "--output", output},
                                                         {"convert", efm, "--output", output},
                                                         {"make-project", output}};
    for (const std::vector<std::string>& arguments : commands) {
        for (const int signal : {SIGINT, SIGTERM, SIGHUP}) {
            SCOPED_TRACE(arguments.front() + ", " + strsignal(signal));
            test_files::WriteText(output, "earlier");
            const Snapshot before = TakeSnapshot(dir.path());
            CliProcess writer(arguments, Traced());
            ASSERT_TRUE(writer.HoldAtSystemCall([&](long call, unsigned long long descriptor) {
                return (call == SYS_write || call == SYS_writev) && IsTemporaryFile(writer.Pid(), descriptor);
            }));
            kill(writer.Pid(), signal);
            EXPECT_TRUE(writer.EndsWithin(10)) << "the signal waited for the writer";
            const CliRun run = writer.Wait();
            EXPECT_EQ(run.signal, signal) << Describe(run);
            EXPECT_EQ(Differences(before, TakeSnapshot(dir.path())), "");
        }
    }
}

}  // namespace
}  // namespace integration

#else
#include <gtest/gtest.h>

// These cases need what only POSIX systems have; they are listed here so that the Windows run
// says so instead of leaving them out.
TEST(EndingSignal, NotOnWindows) {
    GTEST_SKIP() << "the ending signals, and holding a program at a system call with ptrace: POSIX only";
}
#endif
