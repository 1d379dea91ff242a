// Sharing the engine's element loops between worker threads.
#include "engine/support/parallel.h"
#include "tests/engine/engine_test_support.h"
#include "tests/support/environment_variable.h"

#include <gtest/gtest.h>

#if !defined(_WIN32)
#include <grp.h>
#include <sys/resource.h>
#include <unistd.h>
#endif

#include <algorithm>
#include <chrono>
#include <mutex>
#include <set>
#include <stdexcept>
#include <system_error>
#include <thread>
#include <utility>
#include <vector>

using namespace brenwick;

using namespace engine_test;

namespace {

struct Call {
    std::size_t begin, end;
    std::thread::id thread;
};

// Runs ParallelFor over `count` items and records every call of the body.
std::vector<Call> Calls(std::size_t count) {
    std::mutex mutex;
    std::vector<Call> calls;
    ParallelFor(count, [&](std::size_t begin, std::size_t end) {
        const std::lock_guard lock(mutex);
        calls.push_back({begin, end, std::this_thread::get_id()});
    });
    std::sort(calls.begin(), calls.end(), [](const Call& a, const Call& b) { return a.begin < b.begin; });
    return calls;
}

void ExpectContiguousCover(const std::vector<Call>& calls, std::size_t count) {
    std::size_t next = 0;
    for (const Call& call : calls) {
        EXPECT_EQ(call.begin, next);
        EXPECT_LT(call.begin, call.end);
        next = call.end;
    }
    EXPECT_EQ(next, count);
}

}  // namespace

TEST(Parallel, ZeroReturnsToTheEnvironmentOrTheHardware) {
    {
        const test_files::EnvironmentVariableScope variable("BRENWICK_THREADS", "5");
        WorkerCountScope scope(0);
        EXPECT_EQ(WorkerCount(), 5u);
        SetWorkerCount(2);
        EXPECT_EQ(WorkerCount(), 2u);
    }
    for (const char* unusable : {"0", "abc", "4x", "-3", ""}) {
        const test_files::EnvironmentVariableScope variable("BRENWICK_THREADS", unusable);
        EXPECT_EQ(WorkerCount(), std::max(1u, std::thread::hardware_concurrency())) << "BRENWICK_THREADS=" << unusable;
    }
}

TEST(Parallel, SeveralWorkersCoverEveryItemOnceOnSeveralThreads) {
    for (const auto& [workers, items] :
         {std::pair{3u, std::size_t{10}}, std::pair{8u, std::size_t{3}}, std::pair{4u, std::size_t{1000}}}) {
        SCOPED_TRACE(testing::Message() << workers << " workers, " << items << " items");
        WorkerCountScope scope(workers);
        const std::vector<Call> calls = Calls(items);
        ExpectContiguousCover(calls, items);
        std::set<std::thread::id> threads;
        for (const Call& call : calls) threads.insert(call.thread);
        EXPECT_GT(threads.size(), 1u);
        EXPECT_LE(threads.size(), workers);
    }
}

TEST(Parallel, OneWorkerRunsEverythingOnTheCallingThread) {
    WorkerCountScope scope(1);
    const std::vector<Call> calls = Calls(1000);
    ASSERT_EQ(calls.size(), 1u);
    EXPECT_EQ(calls[0].begin, 0u);
    EXPECT_EQ(calls[0].end, 1000u);
    EXPECT_EQ(calls[0].thread, std::this_thread::get_id());
}

TEST(Parallel, NoItemsNoCall) {
    for (const unsigned workers : {1u, 4u}) {
        WorkerCountScope scope(workers);
        EXPECT_TRUE(Calls(0).empty());
    }
}

TEST(Parallel, ProgressIsToldOnTheCallingThreadOnlyAndEndsWithAll) {
    for (const unsigned workers : {1u, 4u}) {
        SCOPED_TRACE(workers);
        WorkerCountScope scope(workers);
        std::vector<double> shares;
        std::set<std::thread::id> threads;
        ParallelFor(
            1000, [](std::size_t, std::size_t) {}, {},
            [&](double share) {
                shares.push_back(share);
                threads.insert(std::this_thread::get_id());
            });
        EXPECT_EQ(threads, std::set<std::thread::id>{std::this_thread::get_id()});
        EXPECT_GT(shares.size(), 2u) << "told piece by piece";
        EXPECT_TRUE(std::is_sorted(shares.begin(), shares.end()));
        EXPECT_EQ(shares.back(), 1.0);
    }
}

TEST(Parallel, AFailureOfOneRangeReachesTheCallerAfterAllRanges) {
    WorkerCountScope scope(4);
    std::mutex mutex;
    std::size_t done = 0;
    const std::string failure = FailureOf([&] {
        ParallelFor(100, [&](std::size_t begin, std::size_t end) {
            if (begin == 0) throw std::out_of_range("invalid vector<T> subscript");
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
            const std::lock_guard lock(mutex);
            done += end - begin;
        });
    });
    EXPECT_EQ(failure, "invalid vector<T> subscript");
    EXPECT_EQ(done, 75u);
}

TEST(Parallel, RunBesideRunsBothMainOnTheCallingThreadAndRethrowsMainsFailureFirst) {
    struct Case {
        unsigned workers;
        bool main_fails, beside_fails;
        std::string failure;
    };
    for (const Case& c : {Case{2, false, false, ""}, Case{1, false, false, ""}, Case{2, true, true, "main"},
                          Case{1, true, true, "main"}, Case{2, false, true, "beside"}}) {
        SCOPED_TRACE(testing::Message() << c.workers << " workers");
        WorkerCountScope scope(c.workers);
        std::thread::id main_thread, beside_thread;
        const std::string failure = FailureOf([&] {
            RunBeside(
                [&] {
                    main_thread = std::this_thread::get_id();
                    if (c.main_fails) throw std::runtime_error("main");
                },
                [&] {
                    beside_thread = std::this_thread::get_id();
                    if (c.beside_fails) throw std::runtime_error("beside");
                });
        });
        EXPECT_EQ(failure, c.failure);
        EXPECT_EQ(main_thread, std::this_thread::get_id());
        EXPECT_NE(beside_thread, std::thread::id());
        EXPECT_EQ(beside_thread == main_thread, c.workers == 1);
    }
}

#if !defined(_WIN32)
namespace {

// Lets this process start no other task (thread or process): RLIMIT_NPROC, which binds only
// users without root's rights, so root first becomes a user id of its own that no other
// process has.
void AllowNoOtherTask() {
    if (geteuid() == 0) {
        const auto user = static_cast<uid_t>(2000000000 + getpid());
        if (setgroups(0, nullptr) != 0 || setgid(user) != 0 || setuid(user) != 0) {
            throw std::runtime_error("cannot become a user of its own");
        }
    }
    const rlimit one{1, 1};
    if (setrlimit(RLIMIT_NPROC, &one) != 0) throw std::runtime_error("cannot limit the tasks");
    try {
        std::thread([] {}).join();
    } catch (const std::system_error&) {
        return;
    }
    throw std::runtime_error("a thread could still be started");
}

}  // namespace

TEST(Parallel, WhereNoThreadCanStartTheCallingThreadRunsTheSameRanges) {
    WorkerCountScope scope(4);
    EXPECT_EQ(FailureInChild([] {
                  const std::vector<Call> with_threads = Calls(1000);
                  AllowNoOtherTask();
                  const std::vector<Call> alone = Calls(1000);
                  const auto same_range = [](const Call& a, const Call& b) {
                      return a.begin == b.begin && a.end == b.end;
                  };
                  if (!std::equal(alone.begin(), alone.end(), with_threads.begin(), with_threads.end(), same_range)) {
                      throw std::runtime_error("other ranges than with threads");
                  }
                  for (const Call& call : alone) {
                      if (call.thread != std::this_thread::get_id()) throw std::runtime_error("a thread was started");
                  }
              }),
              "");
}
#endif
