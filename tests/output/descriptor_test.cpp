// Which paths name one of the process's open descriptors, in every folder of the system that
// lists them, and when an output is the file that a descriptor writes into.
#include "output/output_target.h"
#include "tests/support/test_files.h"

#include <gtest/gtest.h>

#if !defined(_WIN32)
#include <fcntl.h>
#include <unistd.h>

#include <filesystem>
#include <future>
#include <optional>
#include <string>
#include <thread>
#include <vector>

using namespace brenwick;
using namespace test_files;
namespace fs = std::filesystem;

namespace {

// A descriptor of the test, closed at the end of the scope.
class Descriptor {
public:
    explicit Descriptor(int number) : number_(number) {}
    ~Descriptor() {
        if (number_ >= 0) close(number_);
    }
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;

    int Number() const { return number_; }
    std::string Text() const { return std::to_string(number_); }

private:
    int number_;
};

// A second thread that runs until the end of the scope, so that its folder in /proc stays.
class WaitingThread {
public:
    WaitingThread()
        : thread_([this] {
              id_.set_value(gettid());
              end_.get_future().wait();
          }) {}
    ~WaitingThread() {
        end_.set_value();
        thread_.join();
    }
    WaitingThread(const WaitingThread&) = delete;
    WaitingThread& operator=(const WaitingThread&) = delete;

    std::string Id() { return std::to_string(id_future_.get()); }

private:
    std::promise<pid_t> id_;
    std::future<pid_t> id_future_ = id_.get_future();
    std::promise<void> end_;
    std::thread thread_;
};

TEST(DescriptorOf, EverySpellingOfAnOpenDescriptorNamesItAndNoOtherPathDoes) {
    const TempDir dir;
    const std::string log = dir / "log.txt";
    WriteText(log, "earlier\n");
    const Descriptor appended(open(log.c_str(), O_WRONLY | O_APPEND | O_CLOEXEC));
    ASSERT_GE(appended.Number(), 0);
    int ends[2] = {-1, -1};
    ASSERT_EQ(pipe2(ends, O_CLOEXEC), 0);
    const Descriptor reading_end(ends[0]);
    const Descriptor writing_end(ends[1]);
    WaitingThread other_thread;
    const std::string process = std::to_string(getpid());
    const std::string other = other_thread.Id();
    const std::string self = std::to_string(gettid());
    fs::create_symlink("/proc/thread-self/fd/" + appended.Text(), dir / "link to the log");
    fs::create_symlink("log.txt", dir / appended.Text());  // a plain link that only looks like one
    const int unused = dup(appended.Number());
    close(unused);

    const struct {
        std::string path;
        std::optional<int> descriptor;
    } cases[] = {
        {"/dev/fd/" + appended.Text(), appended.Number()},
        {"/proc/self/fd/" + appended.Text(), appended.Number()},
        {"/proc/" + process + "/fd/" + appended.Text(), appended.Number()},
        {"/proc/thread-self/fd/" + appended.Text(), appended.Number()},
        {"/proc/self/task/" + self + "/fd/" + appended.Text(), appended.Number()},
        {"/proc/self/task/" + other + "/fd/" + appended.Text(), appended.Number()},
        {"/proc/" + process + "/task/" + other + "/fd/" + appended.Text(), appended.Number()},
        {"/proc/thread-self/fd/" + writing_end.Text(), writing_end.Number()},
        {dir / "link to the log", appended.Number()},
        {"/dev/stdout", 1},
        // The file itself, a link named like a descriptor outside the system's folders, a
        // descriptor's number that is not open, an entry that lists a descriptor without
        // leading to its file.
        {log, std::nullopt},
        {dir / appended.Text(), std::nullopt},
        {"/proc/self/fd/" + std::to_string(unused), std::nullopt},
        {"/proc/self/fdinfo/" + appended.Text(), std::nullopt},
        {dir / "new.efm", std::nullopt},
    };
    for (const auto& with : cases) {
        SCOPED_TRACE(with.path);
        EXPECT_EQ(DescriptorOf(OutputDestination(with.path)), with.descriptor);
    }
    EXPECT_EQ(DescriptorOf(OutputDestination::StandardOutput()), 1);
}

TEST(SharesFileWith, AnOutputIsTheFileOfADescriptorOnlyWhereWhatIsWrittenThereStays) {
    const TempDir dir;
    const std::string log = dir / "log.txt";
    const std::string other = dir / "other.txt";
    WriteText(log, "");
    WriteText(other, "");
    const Descriptor log_descriptor(open(log.c_str(), O_WRONLY | O_APPEND | O_CLOEXEC));
    const Descriptor null_descriptor(open("/dev/null", O_WRONLY | O_CLOEXEC));
    int ends[2] = {-1, -1};
    ASSERT_EQ(pipe2(ends, O_CLOEXEC), 0);
    const Descriptor reading_end(ends[0]);
    const Descriptor writing_end(ends[1]);
    const Descriptor second_writing_end(fcntl(writing_end.Number(), F_DUPFD_CLOEXEC, 0));

    const struct {
        std::string output;
        const Descriptor& descriptor;
        bool shared;
    } cases[] = {
        {log, log_descriptor, true},
        {dir / "./log.txt", log_descriptor, true},
        {"/proc/self/fd/" + second_writing_end.Text(), writing_end, true},
        {"/proc/thread-self/fd/" + log_descriptor.Text(), log_descriptor, true},
        {other, log_descriptor, false},
        {dir / "new.efm", log_descriptor, false},
        {"/proc/self/fd/" + writing_end.Text(), log_descriptor, false},
        // What /dev/null is given is gone, so messages there never mix into anything.
        {"/dev/null", null_descriptor, false},
    };
    for (const auto& with : cases) {
        SCOPED_TRACE(with.output + " and descriptor " + with.descriptor.Text());
        EXPECT_EQ(SharesFileWith(OutputDestination(with.output), with.descriptor.Number()), with.shared);
    }
}

}  // namespace

#else

TEST(DescriptorOf, TheSpellingsOfPosixSystems) {
    GTEST_SKIP() << "descriptors named by paths are POSIX; Windows writes only standard output as it stands";
}

#endif
