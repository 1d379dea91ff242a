// How each kind of existing output is written on POSIX systems: a new file gets the usual
// permissions; a replaced file keeps its owner, group and permissions; a file is written in
// place where a new file would break what the user set up (hard links, also through a symbolic
// link; a folder the user may not write; an owner that cannot be given back; an access control
// list; a file mounted where it is), and a failure there keeps the links; a device is written
// into as it is; a file the user may not write, a directory and a socket are refused as they
// are; an output that cannot be opened names the cause.
// The rows about permissions write from a child process that runs as nobody when the tests run
// as root, whose rights would pass every check; the rows about mounts mount in a child process
// of their own, which needs root.
#include "output/output_error.h"
#include "output/output_file.h"
#include "tests/support/test_files.h"

#include <gtest/gtest.h>

#if !defined(_WIN32)
#include <grp.h>
#include <sched.h>
#include <signal.h>
#include <sys/mount.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <functional>
#include <optional>
#include <set>
#include <string>
#include <vector>

using namespace brenwick;
using namespace test_files;
namespace fs = std::filesystem;

namespace {

constexpr uid_t kNobody = 65534;  // user and group
constexpr const char* kAccessControlList = "system.posix_acl_access";
const std::string kContents = "the new contents";

bool IsRoot() { return geteuid() == 0; }

// How a write of kContents ended. Values are exit statuses of the child process below.
enum class Outcome { Written, RefusedToOpen, FailedToWrite, Unexpected };

Outcome WriteContents(const std::string& path) {
    try {
        OutputFile output{OutputDestination(path), OutputMessages{"open ", "write "}};
        output.Write(kContents.data(), kContents.size());
        output.Commit();
        return Outcome::Written;
    } catch (const OutputError& failure) {
        const std::string text = failure.what();
        if (text == "open " + path) return Outcome::RefusedToOpen;
        return text == "write " + path ? Outcome::FailedToWrite : Outcome::Unexpected;
    }
}

// Gives a file to nobody when the tests run as root; else it stays the user's.
void GiveToNobody(const std::string& path) {
    if (IsRoot() && chown(path.c_str(), kNobody, kNobody) != 0) ADD_FAILURE() << "chown " << path;
}

// Why the output at `path` cannot be opened: the cause its refusal carries, or what happened instead.
std::string CauseOfRefusal(const std::string& path) {
    try {
        OutputFile output{OutputDestination(path), OutputMessages{"open ", "write "}};
        return "no refusal";
    } catch (const OutputError& failure) {
        return failure.what() == "open " + path ? failure.Cause() : failure.what();
    }
}

// How the child process of a row runs.
struct Child {
    bool as_nobody = false;              // as nobody, when the tests run as root
    std::optional<rlim_t> size_limit{};  // files may not grow beyond that many bytes
    // Changes the child's own mounts, with the rights of the tests; false when it cannot.
    std::function<bool()> mounts{};
};

constexpr int kMountsRefused = 3;  // the exit status of a child whose mounts the system refused

// Sets up the child process that runs a row; false when it cannot. A child whose mounts the
// system refuses ends at once, with kMountsRefused.
bool PrepareChild(const Child& child) {
    // A write beyond the limit then fails instead of ending the process.
    signal(SIGXFSZ, SIG_IGN);
    if (child.mounts && (unshare(CLONE_NEWNS) != 0 || mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0 ||
                         !child.mounts())) {
        _exit(kMountsRefused);
    }
    const rlimit limit{child.size_limit.value_or(RLIM_INFINITY), child.size_limit.value_or(RLIM_INFINITY)};
    const bool limited = !child.size_limit || setrlimit(RLIMIT_FSIZE, &limit) == 0;
    // The groups first: without root's rights they can no longer be changed.
    const bool dropped = !child.as_nobody || !IsRoot() ||
                         (setgroups(0, nullptr) == 0 && setresgid(kNobody, kNobody, kNobody) == 0 &&
                          setresuid(kNobody, kNobody, kNobody) == 0);
    return limited && dropped;
}

// The text `work` returns in a child process set up as `child` says; nothing when the system
// refused the child's mounts (the tests do not run as root, or in a container that forbids it).
std::optional<std::string> InChild(const Child& child, const std::function<std::string()>& work) {
    int ends[2] = {-1, -1};
    if (pipe(ends) != 0) return "no pipe: " + std::string(std::strerror(errno));
    const pid_t process = fork();
    if (process == 0) {
        close(ends[0]);
        const std::string text = PrepareChild(child) ? work() : "the child could not be set up";
        const bool sent = write(ends[1], text.data(), text.size()) == static_cast<ssize_t>(text.size());
        _exit(sent ? 0 : 1);
    }
    close(ends[1]);
    std::string text;
    char buffer[256];
    for (ssize_t n; (n = read(ends[0], buffer, sizeof buffer)) > 0;) text.append(buffer, static_cast<std::size_t>(n));
    close(ends[0]);
    int status = 0;
    if (process < 0 || waitpid(process, &status, 0) != process || !WIFEXITED(status)) return "the child did not end";
    if (WEXITSTATUS(status) == kMountsRefused) return std::nullopt;
    return WEXITSTATUS(status) == 0 ? text : "the child could not say it";
}

// An outcome as a child process hands it back.
std::string TextOf(Outcome outcome) { return std::to_string(static_cast<int>(outcome)); }

// WriteContents in a child process: as nobody when `as_nobody` and the tests run as root, and
// with files that may not grow beyond `size_limit` bytes.
Outcome WriteContentsInChild(const std::string& path, bool as_nobody, std::optional<rlim_t> size_limit = {}) {
    const std::optional<std::string> text =
        InChild({.as_nobody = as_nobody, .size_limit = size_limit}, [&] { return TextOf(WriteContents(path)); });
    for (const Outcome outcome : {Outcome::Written, Outcome::RefusedToOpen, Outcome::FailedToWrite}) {
        if (text == TextOf(outcome)) return outcome;
    }
    return Outcome::Unexpected;
}

// For Child::mounts: `target` shows `source`, as a container shows a single file of its host.
std::function<bool()> Mounting(const std::string& source, const std::string& target) {
    return [=] { return mount(source.c_str(), target.c_str(), nullptr, MS_BIND, nullptr) == 0; };
}

// For Child::mounts: `folder` is read-only.
std::function<bool()> ReadOnly(const std::string& folder) {
    return [=] {
        return mount(folder.c_str(), folder.c_str(), nullptr, MS_BIND, nullptr) == 0 &&
               mount(nullptr, folder.c_str(), nullptr, MS_REMOUNT | MS_BIND | MS_RDONLY, nullptr) == 0;
    };
}

constexpr const char* kNoMounts =
    "the system does not let the tests mount (they need root, outside a container "
    "that forbids it)";

// What a path names, symbolic links followed.
struct stat StatusOf(const std::string& path) {
    struct stat status {};
    if (stat(path.c_str(), &status) != 0) ADD_FAILURE() << "stat " << path << ": " << std::strerror(errno);
    return status;
}

// An access control list as the kernel stores it: owner rw, nobody rw, group r, mask rw, others r.
std::vector<char> AccessControlList() {
    struct Entry {
        std::uint16_t tag, permissions;
        std::uint32_t id;
    };
    constexpr std::uint32_t none = 0xFFFFFFFF;
    const std::uint32_t version = 2;
    const Entry entries[] = {{0x01, 6, none}, {0x02, 6, kNobody}, {0x04, 4, none}, {0x10, 6, none}, {0x20, 4, none}};
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

class OutputPolicy : public testing::Test {
protected:
    // Nobody may enter the scratch directory.
    OutputPolicy() {
        fs::permissions(dir.path(), fs::perms::owner_all | fs::perms::group_exec | fs::perms::others_exec);
    }

    // Expects `write` to write the file that `path` names where it is: the same file (inode,
    // links, owner, group, permissions), with kContents if it is a regular file, and no entry
    // of the scratch directory added or removed.
    void ExpectWrittenWhereItIs(const std::string& path, const std::function<Outcome()>& write) const {
        const struct stat before = StatusOf(path);
        const std::set<std::string> entries = dir.Entries();
        EXPECT_EQ(write(), Outcome::Written);
        const struct stat after = StatusOf(path);
        EXPECT_EQ(after.st_ino, before.st_ino) << "the file was replaced";
        EXPECT_EQ(after.st_nlink, before.st_nlink);
        EXPECT_EQ(after.st_uid, before.st_uid);
        EXPECT_EQ(after.st_gid, before.st_gid);
        EXPECT_EQ(after.st_mode, before.st_mode);
        if (S_ISREG(after.st_mode)) {
            EXPECT_EQ(ReadText(path), kContents);
        }
        EXPECT_EQ(dir.Entries(), entries);
    }

    void ExpectWrittenInPlace(const std::string& path) const {
        ExpectWrittenWhereItIs(path, [&] { return WriteContents(path); });
    }
    void ExpectWrittenInPlaceByNobody(const std::string& path) const {
        ExpectWrittenWhereItIs(path, [&] { return WriteContentsInChild(path, true); });
    }

    const TempDir dir;
    const std::string output = dir / "field.efm";
};

TEST_F(OutputPolicy, ANewFileAppearsWholeWithTheUsualPermissions) {
    const mode_t mask = umask(0);
    umask(mask);
    ASSERT_EQ(WriteContents(output), Outcome::Written);
    EXPECT_EQ(ReadText(output), kContents);
    EXPECT_EQ(fs::status(output).permissions(), static_cast<fs::perms>(0666 & ~mask));
    EXPECT_EQ(dir.Entries(), std::set<std::string>{"field.efm"});
}

TEST_F(OutputPolicy, AFileTheUserMayNotWriteIsRefusedAsItIs) {
    // The folder would take a new file, and the owner could give it the old one's place: the
    // file's own permission decides.
    fs::permissions(dir.path(), fs::perms::all);
    WriteText(output, "an earlier field map its owner protected");
    GiveToNobody(output);
    fs::permissions(output, fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
    fs::create_symlink("field.efm", dir / "link.efm");
    for (const std::string& path : {output, dir / "link.efm"}) {
        SCOPED_TRACE(path);
        EXPECT_EQ(WriteContentsInChild(path, true), Outcome::RefusedToOpen);
        EXPECT_EQ(ReadText(output), "an earlier field map its owner protected");
        EXPECT_EQ(dir.Entries(), (std::set<std::string>{"field.efm", "link.efm"}));
    }
}

TEST_F(OutputPolicy, AReplacedFileKeepsItsOwnerGroupAndPermissions) {
    WriteText(output, "earlier");
    // Root may write a file whose mode allows no writing, and give the new file another owner.
    GiveToNobody(output);
    fs::permissions(output, IsRoot() ? fs::perms::owner_read | fs::perms::group_read
                                     : fs::perms::owner_read | fs::perms::owner_write | fs::perms::others_read);
    const struct stat before = StatusOf(output);
    ASSERT_EQ(WriteContents(output), Outcome::Written);
    const struct stat after = StatusOf(output);
    EXPECT_NE(after.st_ino, before.st_ino) << "not replaced by a complete new file";
    EXPECT_EQ(after.st_uid, before.st_uid);
    EXPECT_EQ(after.st_gid, before.st_gid);
    EXPECT_EQ(after.st_mode, before.st_mode);
    EXPECT_EQ(ReadText(output), kContents);
    EXPECT_EQ(dir.Entries(), std::set<std::string>{"field.efm"});
}

TEST_F(OutputPolicy, AFileInAFolderTheUserMayNotWriteIsWrittenInPlace) {
    const std::string folder = dir / "locked";
    fs::create_directory(folder);
    const std::string path = folder + "/field.efm";
    WriteText(path, "earlier");
    GiveToNobody(path);
    fs::permissions(folder, fs::perms::owner_read | fs::perms::owner_exec | fs::perms::group_read |
                                fs::perms::group_exec | fs::perms::others_read | fs::perms::others_exec);
    ExpectWrittenInPlaceByNobody(path);
}

TEST_F(OutputPolicy, HardLinksKeepSharingTheWrittenFileAlsoThroughASymbolicLink) {
    WriteText(output, "earlier");
    fs::create_hard_link(output, dir / "second name.efm");
    fs::create_symlink("field.efm", dir / "link.efm");
    for (const std::string& path : {output, dir / "link.efm"}) {
        SCOPED_TRACE(path);
        WriteText(output, "earlier");
        ExpectWrittenInPlace(path);
        EXPECT_EQ(ReadText(dir / "second name.efm"), kContents);
        EXPECT_TRUE(fs::is_symlink(fs::symlink_status(dir / "link.efm")));
    }
}

TEST_F(OutputPolicy, AFileWhoseOwnerCannotBeGivenBackIsWrittenInPlace) {
    if (!IsRoot()) GTEST_SKIP() << "needs a file of another user, so it runs when the tests run as root";
    fs::permissions(dir.path(), fs::perms::all);  // nobody could put a new file there
    WriteText(output, "earlier");
    fs::permissions(output, fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read |
                                fs::perms::group_write | fs::perms::others_read | fs::perms::others_write);
    ExpectWrittenInPlaceByNobody(output);
}

TEST_F(OutputPolicy, AFileWithAnAccessControlListIsWrittenInPlaceAndTheListCounts) {
    WriteText(output, "earlier");
    const std::vector<char> list = AccessControlList();
    if (setxattr(output.c_str(), kAccessControlList, list.data(), list.size(), 0) != 0) {
        GTEST_SKIP() << "the file system keeps no access control lists: " << std::strerror(errno);
    }
    // The folder and the owner would allow a replacement; a new file would lose the list.
    ExpectWrittenInPlace(output);
    EXPECT_EQ(AccessControlListOf(output), list);
    if (IsRoot()) {
        SCOPED_TRACE("as nobody, whom only the list lets write the file of root");
        WriteText(output, "earlier");
        ExpectWrittenInPlaceByNobody(output);
    }
}

TEST_F(OutputPolicy, AFileMountedWhereItIsIsWrittenInPlace) {
    // Renaming a new file over a mount point fails once the whole output is written.
    WriteText(output, "the file under the mount");
    const std::string mounted = dir / "mounted.efm";
    WriteText(mounted, "earlier");
    const struct stat before = StatusOf(mounted);
    const std::optional<std::string> written =
        InChild({.mounts = Mounting(mounted, output)}, [&] { return TextOf(WriteContents(output)); });
    if (!written) GTEST_SKIP() << kNoMounts;
    EXPECT_EQ(*written, TextOf(Outcome::Written));
    EXPECT_EQ(ReadText(mounted), kContents);
    EXPECT_EQ(StatusOf(mounted).st_ino, before.st_ino) << "the mounted file was replaced";
    EXPECT_EQ(ReadText(output), "the file under the mount");
    EXPECT_EQ(dir.Entries(), (std::set<std::string>{"field.efm", "mounted.efm"}));
}

TEST_F(OutputPolicy, AnOutputThatCannotBeOpenedNamesTheCause) {
    const std::string locked = dir / "locked";
    const std::string read_only = dir / "read-only";
    for (const std::string& folder : {locked, read_only}) {
        fs::create_directory(folder);
        WriteText(folder + "/kept.efm", "kept");
    }
    fs::permissions(locked + "/kept.efm", fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
    fs::permissions(locked, fs::perms::owner_read | fs::perms::owner_exec | fs::perms::group_read |
                                fs::perms::group_exec | fs::perms::others_read | fs::perms::others_exec);
    const struct {
        std::string path;
        Child child;
        std::string cause;
    } cases[] = {
        {dir / "no such folder/field.efm", {}, "The folder " + (dir / "no such folder") + " does not exist."},
        {locked + "/field.efm", {.as_nobody = true}, "There is no permission to write in the folder " + locked + "."},
        {locked + "/kept.efm",
         {.as_nobody = true},
         "There is no permission to write the output " + locked + "/kept.efm."},
        {read_only + "/field.efm",
         {.mounts = ReadOnly(read_only)},
         "The folder " + read_only + " is on a read-only file system."},
        {read_only + "/kept.efm",
         {.mounts = ReadOnly(read_only)},
         "The output " + read_only + "/kept.efm is on a read-only file system."},
        {dir / "field.efm/inside.efm",
         {},
         "The output " + (dir / "field.efm/inside.efm") + " cannot be opened for writing: Not a directory."},
    };
    WriteText(output, "a file, not a folder");
    bool mounted = true;
    for (const auto& with : cases) {
        SCOPED_TRACE(with.path);
        const std::optional<std::string> cause = InChild(with.child, [&] { return CauseOfRefusal(with.path); });
        mounted = mounted && cause.has_value();
        if (cause) {
            EXPECT_EQ(*cause, with.cause);
        }
        EXPECT_EQ(ReadText(locked + "/kept.efm"), "kept");
        EXPECT_EQ(ReadText(read_only + "/kept.efm"), "kept");
        EXPECT_EQ(dir.Entries(), (std::set<std::string>{"field.efm", "locked", "read-only"}));
    }
    if (!mounted) GTEST_SKIP() << "the rows of a read-only file system: " << kNoMounts;
}

TEST_F(OutputPolicy, AFailureInPlaceIsReportedAndKeepsTheLinks) {
    WriteText(output, "earlier");
    fs::create_hard_link(output, dir / "second name.efm");
    const struct stat before = StatusOf(output);
    // The one case where a failure leaves a partial file: the links are worth more than the bytes.
    EXPECT_EQ(WriteContentsInChild(output, false, 4), Outcome::FailedToWrite);
    const struct stat after = StatusOf(output);
    EXPECT_EQ(after.st_ino, before.st_ino);
    EXPECT_EQ(after.st_nlink, 2u);
    EXPECT_LE(after.st_size, 4);
}

TEST_F(OutputPolicy, ADeviceIsWrittenIntoAsItIs) {
    const std::string device = dir / "null.efm";
    if (mknod(device.c_str(), S_IFCHR | 0666, makedev(1, 3)) != 0) {
        GTEST_SKIP() << "cannot make a device node: " << std::strerror(errno);
    }
    ExpectWrittenInPlace(device);
    EXPECT_EQ(StatusOf(device).st_rdev, makedev(1, 3));
}

TEST_F(OutputPolicy, ADirectoryOrASocketIsRefusedAsItIs) {
    const std::string folder = dir / "folder.efm";
    fs::create_directory(folder);
    WriteText(folder + "/inside", "kept");
    const std::string socket_path = dir / "socket.efm";
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::strncpy(address.sun_path, socket_path.c_str(), sizeof address.sun_path - 1);
    const int listener = socket(AF_UNIX, SOCK_STREAM, 0);
    ASSERT_EQ(bind(listener, reinterpret_cast<const sockaddr*>(&address), sizeof address), 0) << std::strerror(errno);
    close(listener);
    for (const std::string& path : {folder, socket_path}) {
        SCOPED_TRACE(path);
        EXPECT_EQ(WriteContents(path), Outcome::RefusedToOpen);
        EXPECT_EQ(dir.Entries(), (std::set<std::string>{"folder.efm", "socket.efm"}));
        EXPECT_EQ(ReadText(folder + "/inside"), "kept");
        EXPECT_TRUE(fs::is_socket(socket_path));
    }
}

}  // namespace

#else

TEST(OutputPolicy, TheRowsOfPosixSystems) {
    GTEST_SKIP() << "owners, modes, access control lists, devices and sockets are POSIX; the Windows rules have "
                    "their own tests (WindowsOutputPolicy)";
}

#endif
