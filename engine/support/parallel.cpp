#include "parallel.h"

#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <exception>
#include <string>
#include <system_error>
#include <thread>
#include <vector>

namespace brenwick {

namespace {

std::atomic<unsigned> chosen_count{0};

unsigned DefaultCount() {
    if (const char* text = std::getenv("BRENWICK_THREADS")) {
        char* end = nullptr;
        const unsigned long value = std::strtoul(text, &end, 10);
        if (end != text && *end == '\0' && value > 0 && value <= 1024) return static_cast<unsigned>(value);
    }
    return std::max(1u, std::thread::hardware_concurrency());
}

// Starts threads running run(1), run(2), ... up to run(workers - 1) until one cannot be started
// (a limit on processes or threads); returns the first worker without a thread.
template <typename Run>
std::size_t StartWorkers(std::vector<std::jthread>& threads, std::size_t workers, const Run& run) {
    std::size_t worker = 1;
    try {
        for (; worker < workers; ++worker) threads.emplace_back(run, worker);
    } catch (const std::system_error&) {
        // The workers from here on run on the calling thread.
    }
    return worker;
}

}  // namespace

unsigned WorkerCount() {
    const unsigned count = chosen_count.load();
    return count > 0 ? count : DefaultCount();
}

void SetWorkerCount(unsigned count) { chosen_count.store(count); }

void ParallelFor(std::size_t count, const std::function<void(std::size_t, std::size_t)>& body,
                 const std::stop_token& stop, const WorkProgress& progress) {
    std::atomic<std::size_t> done{0};
    const std::thread::id caller = std::this_thread::get_id();
    const auto cover = [&](std::size_t begin, std::size_t end) {
        if (!stop.stop_possible() && !progress) return body(begin, end);
        // Small enough that a stop request is noticed within a small part of the loop's time.
        constexpr std::size_t pieces = 64;
        const std::size_t piece = std::max<std::size_t>(1, (end - begin + pieces - 1) / pieces);
        for (std::size_t first = begin; first < end; first += piece) {
            StopIfRequested(stop);
            const std::size_t last = std::min(end, first + piece);
            body(first, last);
            const std::size_t all = done += last - first;
            if (progress && std::this_thread::get_id() == caller) progress(static_cast<double>(all) / count);
        }
    };
    const std::size_t workers = std::min<std::size_t>(WorkerCount(), count);
    if (workers <= 1) {
        if (count > 0) cover(0, count);
    } else {
        std::vector<std::exception_ptr> failures(workers);
        std::vector<std::jthread> threads;
        threads.reserve(workers - 1);
        auto run = [&](std::size_t worker) {
            try {
                cover(count * worker / workers, count * (worker + 1) / workers);
            } catch (...) {
                failures[worker] = std::current_exception();
            }
        };
        const std::size_t started = StartWorkers(threads, workers, run);
        run(0);
        // Ranges whose thread could not be started are the calling thread's too: the same
        // ranges, so the same results, only later.
        for (std::size_t worker = started; worker < workers; ++worker) run(worker);
        threads.clear();  // joins
        for (const auto& failure : failures) {
            if (failure) std::rethrow_exception(failure);
        }
    }
    if (progress) progress(1.0);
}

void RunBeside(const std::function<void()>& main, const std::function<void()>& beside) {
    std::exception_ptr failures[2];
    ParallelFor(2, [&](std::size_t first, std::size_t end) {
        for (std::size_t task = first; task < end; ++task) {
            try {
                (task == 0 ? main : beside)();
            } catch (...) {
                failures[task] = std::current_exception();
            }
        }
    });
    for (const std::exception_ptr& failure : failures) {
        if (failure) std::rethrow_exception(failure);
    }
}

}  // namespace brenwick
