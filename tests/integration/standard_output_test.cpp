// Outputs that name the program's standard output, in each spelling, for each command that
// writes a file: written into as standard output stands (a pipe, a file opened for appending or
// for reading and writing), a pipe whose reader went away, a terminal, and standard output
// opened on one of the command's inputs; and outputs that are the file of standard error. On
// Windows only a pipe whose reader went away.
#include "cli_export_fixture.h"

#if defined(_WIN32)
#include <fcntl.h>
#include <io.h>
#else
#include "dir_snapshot.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <map>
#include <thread>
#include <utility>
#endif

namespace integration {
namespace {

// The writing end of a pipe whose reading end is closed already; -1 when none can be made.
int PipeWithoutReader() {
    int ends[2] = {-1, -1};
#if defined(_WIN32)
    if (_pipe(ends, 4096, _O_BINARY | _O_NOINHERIT) != 0) return -1;
#else
    if (pipe2(ends, O_CLOEXEC) != 0) return -1;
#endif
    close(ends[0]);
    return ends[1];
}

using StandardOutputWithoutReader = CliExport;

// A pipe whose reader went away makes each command fail and say so: inspect and probe, whose
// result is their text, as the export, whose file would be cut short.
TEST_F(StandardOutputWithoutReader, IsAFailureThatSaysSo) {
    WriteProject(demo.contents);
    ExpectExport(ExportArguments());
    const struct {
        std::vector<std::string> arguments;
        std::string last_line;
    } cases[] = {
        {{"inspect", output}, "inspect: standard output was closed by its reader"},
        {{"probe", output, "1", "1", "1"}, "probe: standard output was closed by its reader"},
        {{"export", project, "--materials", materials, "--output", "-"},
         OutputWriteFailure("standard output") + " (closed by its reader)"},
    };
    for (const auto& with : cases) {
        SCOPED_TRACE(with.arguments[0]);
        const int descriptor = PipeWithoutReader();
        ASSERT_GE(descriptor, 0);
        const CliRun run = RunCli(with.arguments, WithStandardOutput(descriptor));
        close(descriptor);
        EXPECT_TRUE(run.exited && run.status == 1) << Describe(run);
        EXPECT_TRUE(("\n" + run.err).ends_with("\n" + with.last_line + "\n")) << run.err;
    }
}

#if !defined(_WIN32)
const std::vector<std::string> kSpellings{"-", "/dev/stdout", "/dev/fd/1", "/proc/self/fd/1", "/proc/thread-self/fd/1"};

enum class StandardOutput { Pipe, AppendedFile, ReadWriteFile, PipeWithoutReader, Terminal };

struct Command {
    std::string name;
    std::string written;        // the start of the line that names the output once written
    std::string write_failure;  // what precedes the output's name when a write fails
};

const std::vector<Command> kCommands{
    {"export", "Export written to: ", OutputWriteFailure("")},
    {"preview", "Picture written to: ", "preview: cannot write "},
    {"convert", "VTK file written to: ", "convert: cannot write "},
};

std::string NameOf(const std::string& spelling) { return spelling == "-" ? "standard output" : spelling; }

ino_t InodeOf(const std::string& path) {
    struct stat status {};
    stat(path.c_str(), &status);
    return status.st_ino;
}

class StandardOutputSpellings : public CliExport {
protected:
    StandardOutputSpellings() {
        WriteProject(demo.contents);
        ExpectSuccess(RunCli(Arguments("export", efm)));
        for (const Command& command : kCommands) {
            const std::string path = elsewhere / ("reference-" + command.name);
            ExpectSuccess(RunCli(Arguments(command.name, path)));
            reference[command.name] = test_files::ReadBytes(path);
        }
    }

    std::vector<std::string> Arguments(const std::string& command, const std::string& output) const {
        if (command == "export") return {"export", project, "--output", output, "--materials", materials};
        return {command, efm, "--output", output};
    }

    // The descriptor to give the command as its standard output, and the end the test reads.
    std::pair<int, int> Prepare(StandardOutput kind) const {
        int ends[2] = {-1, -1};
        switch (kind) {
        case StandardOutput::Pipe:
            if (pipe2(ends, O_CLOEXEC) != 0) return {-1, -1};
            return {ends[1], ends[0]};
        case StandardOutput::PipeWithoutReader: return {PipeWithoutReader(), -1};
        case StandardOutput::Terminal:
            ends[0] = posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
            if (ends[0] < 0 || grantpt(ends[0]) != 0 || unlockpt(ends[0]) != 0) return {-1, ends[0]};
            return {open(ptsname(ends[0]), O_RDWR | O_NOCTTY | O_CLOEXEC), ends[0]};
        case StandardOutput::AppendedFile:
        case StandardOutput::ReadWriteFile:
            test_files::WriteText(file, earlier);
            const int mode = kind == StandardOutput::AppendedFile ? O_WRONLY | O_APPEND : O_RDWR;
            return {open(file.c_str(), mode | O_CLOEXEC), -1};
        }
        return {-1, -1};
    }

    // Runs the command with standard output set up as `kind` and checks what went there.
    void ExpectWrittenInto(const Command& command, const std::string& spelling, StandardOutput kind) const {
        const auto [descriptor, test_end] = Prepare(kind);
        ASSERT_GE(descriptor, 0);
        const ino_t inode = InodeOf(file);
        // Whatever reaches the pipe or the terminal, read until the command and the test have
        // closed their ends.
        std::vector<unsigned char> received;
        std::thread reader([&received, test_end = test_end] {
            unsigned char buffer[4096];
            for (ssize_t n; test_end >= 0 && (n = read(test_end, buffer, sizeof buffer)) > 0;) {
                received.insert(received.end(), buffer, buffer + n);
            }
        });
        const Snapshot before = TakeSnapshot(dir.path());
        const CliRun run = RunCli(Arguments(command.name, spelling), WithStandardOutput(descriptor));
        close(descriptor);
        reader.join();
        if (test_end >= 0) close(test_end);
        EXPECT_EQ(Differences(before, TakeSnapshot(dir.path())), "");

        const std::vector<unsigned char>& bytes = reference.at(command.name);
        const std::string name = NameOf(spelling);
        std::vector<unsigned char> appended(earlier.begin(), earlier.end());
        appended.insert(appended.end(), bytes.begin(), bytes.end());
        switch (kind) {
        case StandardOutput::Pipe: EXPECT_EQ(received, bytes); break;
        case StandardOutput::AppendedFile: EXPECT_EQ(test_files::ReadBytes(file), appended); break;
        // Longer than the earlier text, so that it covers all of it.
        case StandardOutput::ReadWriteFile: EXPECT_EQ(test_files::ReadBytes(file), bytes); break;
        case StandardOutput::PipeWithoutReader:
            EXPECT_TRUE(run.exited && run.status == 1) << Describe(run);
            EXPECT_TRUE(run.err.ends_with(command.write_failure + name + " (closed by its reader)\n")) << run.err;
            return;
        case StandardOutput::Terminal:
            EXPECT_TRUE(run.exited && run.status == 2) << Describe(run);
            EXPECT_EQ(run.err,
                      "--output " + spelling + ": standard output is a terminal; redirect it to a file or a pipe\n");
            EXPECT_TRUE(received.empty()) << "bytes went to the terminal";
            return;
        }
        EXPECT_TRUE(run.exited && run.status == 0) << Describe(run) << "\n" << run.err;
        EXPECT_NE(run.err.find(command.written + name + "\n"), std::string::npos) << run.err;
        if (kind != StandardOutput::Pipe) {
            EXPECT_EQ(InodeOf(file), inode) << "the file was replaced";
        }
    }

    test_files::TempDir elsewhere;
    const std::string efm = dir / "input.efm";
    const std::string file = elsewhere / "standard output";
    const std::string earlier = "earlier\n";
    std::map<std::string, std::vector<unsigned char>> reference;  // the output of each command, as a file receives it
};

TEST_F(StandardOutputSpellings, AreWrittenIntoAsStandardOutputStands) {
    for (const Command& command : kCommands) {
        for (const std::string& spelling : kSpellings) {
            for (const StandardOutput kind :
                 {StandardOutput::Pipe, StandardOutput::AppendedFile, StandardOutput::ReadWriteFile,
                  StandardOutput::PipeWithoutReader, StandardOutput::Terminal}) {
                SCOPED_TRACE(command.name + " --output " + spelling + ", kind " +
                             std::to_string(static_cast<int>(kind)));
                ExpectWrittenInto(command, spelling, kind);
            }
        }
    }
}

TEST_F(StandardOutputSpellings, OpenOnAnInputAreRefusedBeforeAnythingIsWritten) {
    struct Case {
        std::string command;
        std::string input;
        int mode;
    };
    const std::vector<Case> cases{{"export", project, O_RDWR}, {"export", materials, O_WRONLY | O_APPEND},
                                  {"preview", efm, O_RDWR},    {"preview", efm, O_WRONLY | O_APPEND},
                                  {"convert", efm, O_RDWR},    {"convert", efm, O_WRONLY | O_APPEND}};
    for (const Case& c : cases) {
        for (const std::string& spelling : kSpellings) {
            SCOPED_TRACE(c.command + " --output " + spelling + " into " + c.input + ", mode " + std::to_string(c.mode));
            const int descriptor = open(c.input.c_str(), c.mode | O_CLOEXEC);
            ASSERT_GE(descriptor, 0);
            const Snapshot before = TakeSnapshot(dir.path());
            const CliRun run = RunCli(Arguments(c.command, spelling), WithStandardOutput(descriptor));
            close(descriptor);
            const std::string name = NameOf(spelling);
            const std::string refusal = c.command == "export" ? InputRefusal(name)
                                                              : c.command + ": the output " + name +
                                                                    " is the input file; choose another output";
            EXPECT_TRUE(run.exited && run.status == 1) << Describe(run);
            EXPECT_TRUE(("\n" + run.err).ends_with("\n" + refusal + "\n")) << run.err;
            EXPECT_EQ(Differences(before, TakeSnapshot(dir.path())), "");
        }
    }
}

// Standard error takes each command's warnings and notices: an output that is its file would
// have them mixed into it, so it is refused with status 2 before anything is written, in a line
// on standard output unless that is the same file. /dev/null keeps nothing, and is no such file.
TEST_F(StandardOutputSpellings, ThatOfStandardErrorAreRefused) {
    const std::string log = elsewhere / "log";
    const struct {
        std::string spelling;
        bool standard_output_too;  // standard output goes to standard error's file as well
        bool to_null;              // standard error goes to /dev/null
    } cases[] = {
        {"/dev/stderr", false, false},
        {"/dev/fd/2", false, false},
        {"/proc/thread-self/fd/2", false, false},
        {"-", true, false},
        {"/dev/stdout", true, false},
        {"/dev/stderr", false, true},
    };
    for (const Command& command : kCommands) {
        for (const auto& with : cases) {
            SCOPED_TRACE(command.name + " --output " + with.spelling + (with.to_null ? ", 2> /dev/null" : ""));
            test_files::WriteText(log, earlier);
            const int descriptor = open(with.to_null ? "/dev/null" : log.c_str(), O_WRONLY | O_APPEND | O_CLOEXEC);
            ASSERT_GE(descriptor, 0);
            const Snapshot before = TakeSnapshot(dir.path());
            const CliRun run = RunCli(Arguments(command.name, with.spelling),
                                      WithStandardStreams(with.standard_output_too ? descriptor : -1, descriptor));
            close(descriptor);
            EXPECT_EQ(Differences(before, TakeSnapshot(dir.path())), "");
            EXPECT_EQ(test_files::ReadText(log), earlier);
            if (with.to_null) {
                EXPECT_TRUE(run.exited && run.status == 0) << Describe(run);
                EXPECT_NE(run.out.find(command.written + with.spelling + "\n"), std::string::npos) << run.out;
                continue;
            }
            EXPECT_TRUE(run.exited && run.status == 2) << Describe(run);
            EXPECT_EQ(run.out, with.standard_output_too
                                   ? ""
                                   : "--output " + with.spelling +
                                         ": standard error goes there too, and its messages would be mixed into the "
                                         "output; redirect standard error or choose another output\n");
        }
    }
}

#else

// The rest needs what only POSIX systems have; listed so that the Windows run says so.
TEST(StandardOutputSpellings, NotOnWindows) {
    GTEST_SKIP() << "standard output as a terminal or a file, and the spellings of a descriptor: POSIX only";
}

#endif

}  // namespace
}  // namespace integration
