// How `brenwick-cli export` writes each kind of output: a new file; a file the user may not
// write; a file replaced with its owner, group and permissions; a file written in place (a
// folder the user may not write, hard links, an owner that cannot be given back, an access
// control list); a device, a FIFO, a socket, a directory; symbolic links.
// The rows about permissions run as nobody when the tests run as root, whose rights would
// pass every check.
#include "cli_export_fixture.h"
#include "dir_snapshot.h"

#if !defined(_WIN32)
#include <fcntl.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/un.h>
#include <sys/xattr.h>
#include <unistd.h>
#endif

#include <cerrno>
#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <thread>

namespace integration {
namespace {

namespace fs = std::filesystem;

#if !defined(_WIN32)
constexpr Identity kNobody{65534, 65534};
constexpr const char* kAccessControlList = "system.posix_acl_access";

bool IsRoot() { return geteuid() == 0; }

// The user of the rows about permissions: nobody for root, else the user running the tests.
std::optional<Identity> Unprivileged() { return IsRoot() ? std::optional<Identity>(kNobody) : std::nullopt; }

// Gives a file to the user of the rows about permissions.
void GiveToUnprivileged(const std::string& path) {
    if (IsRoot() && chown(path.c_str(), kNobody.user, kNobody.group) != 0) FAIL() << "chown " << path;
}

// What a path names, symbolic links followed.
struct stat StatusOf(const std::string& path) {
    struct stat status {};
    if (stat(path.c_str(), &status) != 0) ADD_FAILURE() << "stat " << path << ": " << std::strerror(errno);
    return status;
}

// The permissions a new file gets from the process's umask.
fs::perms CreationPermissions() {
    const mode_t mask = umask(0);
    umask(mask);
    return static_cast<fs::perms>(0666 & ~mask);
}

// An access control list as the kernel stores it: owner rw, nobody rw, group r, mask rw, others r.
std::vector<char> AccessControlList() {
    struct Entry {
        std::uint16_t tag, permissions;
        std::uint32_t id;
    };
    constexpr std::uint32_t none = 0xFFFFFFFF;
    const std::uint32_t version = 2;
    const Entry entries[] = {{0x01, 6, none}, {0x02, 6, kNobody.user}, {0x04, 4, none}, {0x10, 6, none}, {0x20, 4, none}};
    std::vector<char> bytes(sizeof version + sizeof entries);
    std::memcpy(bytes.data(), &version, sizeof version);
    std::memcpy(bytes.data() + sizeof version, entries, sizeof entries);
    return bytes;
}

std::vector<char> AccessControlListOf(const std::string& path) {
    std::vector<char> bytes(256);
    const ssize_t size = getxattr(path.c_str(), kAccessControlList, bytes.data(), bytes.size());
    bytes.resize(size < 0 ? 0 : static_cast<std::size_t>(size));
    return bytes;
}

class OutputPolicy : public CliExport {
protected:
    OutputPolicy() {
        WriteProject(demo.contents);
        // Other users may enter the scratch directory and read the inputs.
        fs::permissions(dir.path(), fs::perms::owner_all | fs::perms::group_read | fs::perms::group_exec |
                                        fs::perms::others_read | fs::perms::others_exec);
        const test_files::TempDir elsewhere;
        ExpectSuccess(RunCli(ExportTo(elsewhere / "reference.efm")));
        reference = test_files::ReadBytes(elsewhere / "reference.efm");
    }

    std::vector<std::string> ExportTo(const std::string& path) const {
        return {"export", project, "--output", path, "--materials", materials};
    }

    // Runs the export into `path` and expects the file it names to have been written where it
    // is: the same file (inode, links, owner, group, permissions) with the export's bytes, and
    // nothing else in the scratch directory changed but other names of that file.
    void ExpectWrittenInPlace(const std::string& path, const CliSetup& setup = {}) const {
        const struct stat before = StatusOf(path);
        Snapshot others_before = TakeSnapshot(dir.path());
        ExpectSuccess(RunCli(ExportTo(path), setup));
        const struct stat after = StatusOf(path);
        EXPECT_EQ(after.st_ino, before.st_ino) << "the file was replaced";
        EXPECT_EQ(after.st_nlink, before.st_nlink);
        EXPECT_EQ(after.st_uid, before.st_uid);
        EXPECT_EQ(after.st_gid, before.st_gid);
        EXPECT_EQ(after.st_mode, before.st_mode);
        EXPECT_EQ(test_files::ReadBytes(path), reference);
        Snapshot others_after = TakeSnapshot(dir.path());
        std::erase_if(others_before, [&](const auto& entry) { return entry.second.inode == before.st_ino; });
        std::erase_if(others_after, [&](const auto& entry) { return entry.second.inode == before.st_ino; });
        EXPECT_EQ(Differences(others_before, others_after), "");
    }

    std::vector<unsigned char> reference;  // the bytes of the export, as a new file receives them
};
#else
// These rows are about owners, modes, access control lists, devices, FIFOs, sockets and
// terminals of POSIX systems; the Windows rules have their own tests (WindowsOutputPolicy).
class OutputPolicy : public CliExport {};
#endif

TEST_F(OutputPolicy, ANewFileAppearsWholeWithTheUsualPermissions) {
#if defined(_WIN32)
    GTEST_SKIP() << "a row of the POSIX output rules";
#else
    ExpectExport(ExportArguments());
    EXPECT_EQ(test_files::ReadBytes(output), reference);
    EXPECT_EQ(fs::status(output).permissions(), CreationPermissions());
#endif
}

TEST_F(OutputPolicy, AFileTheUserMayNotWriteIsRefusedAsItIs) {
#if defined(_WIN32)
    GTEST_SKIP() << "a row of the POSIX output rules";
#else
    // The folder would take a new file: the file's own permission decides.
    fs::permissions(dir.path(), fs::perms::all);
    test_files::WriteText(output, "an earlier field map its owner protected");
    if (!IsRoot()) fs::permissions(output, fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
    const std::string link = dir / "link.efm";
    fs::create_symlink("field.efm", link);
    for (const std::string& path : {output, link}) {
        SCOPED_TRACE(path);
        ExpectRefusalOnce(ExportTo(path), OutputOpenFailure(path), RunningAs(Unprivileged()));
    }
#endif
}

TEST_F(OutputPolicy, AReplacedFileKeepsItsOwnerGroupAndPermissions) {
#if defined(_WIN32)
    GTEST_SKIP() << "a row of the POSIX output rules";
#else
    test_files::WriteText(output, "earlier");
    // Root may write a file whose mode allows no writing, and give the new file another owner.
    const fs::perms mode = IsRoot() ? fs::perms::owner_read | fs::perms::group_read
                                    : fs::perms::owner_read | fs::perms::owner_write | fs::perms::others_read;
    GiveToUnprivileged(output);
    fs::permissions(output, mode);
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

TEST_F(OutputPolicy, AFileInAFolderTheUserMayNotWriteIsWrittenInPlace) {
#if defined(_WIN32)
    GTEST_SKIP() << "a row of the POSIX output rules";
#else
    const std::string folder = dir / "locked";
    fs::create_directory(folder);
    const std::string path = folder + "/field.efm";
    test_files::WriteText(path, "earlier");
    GiveToUnprivileged(path);
    fs::permissions(folder, fs::perms::owner_read | fs::perms::owner_exec | fs::perms::group_read |
                                fs::perms::group_exec | fs::perms::others_read | fs::perms::others_exec);
    ExpectWrittenInPlace(path, RunningAs(Unprivileged()));
#endif
}

TEST_F(OutputPolicy, HardLinksKeepSharingTheWrittenFileAlsoThroughASymbolicLink) {
#if defined(_WIN32)
    GTEST_SKIP() << "a row of the POSIX output rules";
#else
    test_files::WriteText(output, "earlier");
    const std::string second = dir / "second name.efm";
    fs::create_hard_link(output, second);
    const std::string link = dir / "link.efm";
    fs::create_symlink("field.efm", link);
    for (const std::string& path : {output, link}) {
        SCOPED_TRACE(path);
        ExpectWrittenInPlace(path);
        EXPECT_EQ(test_files::ReadBytes(second), reference);
        EXPECT_TRUE(fs::is_symlink(fs::symlink_status(link)));
    }
#endif
}

TEST_F(OutputPolicy, AFileWhoseOwnerCannotBeGivenBackIsWrittenInPlace) {
#if defined(_WIN32)
    GTEST_SKIP() << "a row of the POSIX output rules";
#else
    if (!IsRoot()) GTEST_SKIP() << "needs a file of another user, so it runs when the tests run as root";
    fs::permissions(dir.path(), fs::perms::all);  // nobody could put a new file there
    test_files::WriteText(output, "earlier");
    fs::permissions(output, fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read |
                                fs::perms::group_write | fs::perms::others_read | fs::perms::others_write);
    ExpectWrittenInPlace(output, RunningAs(kNobody));
#endif
}

TEST_F(OutputPolicy, AFileWithAnAccessControlListIsWrittenInPlaceAndTheListCounts) {
#if defined(_WIN32)
    GTEST_SKIP() << "a row of the POSIX output rules";
#else
    test_files::WriteText(output, "earlier");
    const std::vector<char> list = AccessControlList();
    if (setxattr(output.c_str(), kAccessControlList, list.data(), list.size(), 0) != 0) {
        GTEST_SKIP() << "the file system keeps no access control lists: " << std::strerror(errno);
    }
    // The folder and the owner would allow a replacement; a new file would lose the list.
    ExpectWrittenInPlace(output);
    EXPECT_EQ(AccessControlListOf(output), list);
    if (IsRoot()) {
        SCOPED_TRACE("as nobody, whom only the list lets write the file of root");
        ExpectWrittenInPlace(output, RunningAs(kNobody));
    }
#endif
}

TEST_F(OutputPolicy, AFailureInPlaceIsReportedAndKeepsTheLinks) {
#if defined(_WIN32)
    GTEST_SKIP() << "a row of the POSIX output rules";
#else
    test_files::WriteText(output, "earlier");
    fs::create_hard_link(output, dir / "second name.efm");
    const struct stat before = StatusOf(output);
    // The one case where a failure leaves a partial file: the links are worth more than the bytes.
    const CliRun run = RunCli(ExportArguments(), WithFileSizeLimit(1100));
    EXPECT_TRUE(run.exited && run.status == 1) << Describe(run);
    EXPECT_EQ(run.err, OutputWriteFailure(output) + "\n");
    const struct stat after = StatusOf(output);
    EXPECT_EQ(after.st_ino, before.st_ino);
    EXPECT_EQ(after.st_nlink, 2u);
    EXPECT_LE(after.st_size, 1100);
#endif
}

TEST_F(OutputPolicy, ADeviceIsWrittenIntoAsItIs) {
#if defined(_WIN32)
    GTEST_SKIP() << "a row of the POSIX output rules";
#else
    const std::string device = dir / "null.efm";
    if (mknod(device.c_str(), S_IFCHR | 0666, makedev(1, 3)) != 0) {
        GTEST_SKIP() << "cannot make a device node: " << std::strerror(errno);
    }
    const Snapshot before = TakeSnapshot(dir.path());
    ExpectSuccess(RunCli(ExportTo(device)));
    EXPECT_EQ(Differences(before, TakeSnapshot(dir.path())), "");
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

TEST_F(OutputPolicy, ADirectoryOrASocketIsRefusedAsItIs) {
#if defined(_WIN32)
    GTEST_SKIP() << "a row of the POSIX output rules";
#else
    const std::string folder = dir / "folder.efm";
    fs::create_directory(folder);
    test_files::WriteText(folder + "/inside", "kept");
    const std::string socket_path = dir / "socket.efm";
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::strncpy(address.sun_path, socket_path.c_str(), sizeof address.sun_path - 1);
    const int listener = socket(AF_UNIX, SOCK_STREAM, 0);
    ASSERT_EQ(bind(listener, reinterpret_cast<const sockaddr*>(&address), sizeof address), 0) << std::strerror(errno);
    close(listener);
    for (const std::string& path : {folder, socket_path}) {
        SCOPED_TRACE(path);
        ExpectRefusalOnce(ExportTo(path), OutputOpenFailure(path));
    }
#endif
}

}  // namespace
}  // namespace integration
