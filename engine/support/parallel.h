// Splitting a loop over independent items between worker threads.
#ifndef BRENWICK_PARALLEL_H
#define BRENWICK_PARALLEL_H

#include "engine/export_control.h"

#include <cstddef>
#include <functional>
#include <stop_token>

namespace brenwick {

// Number of threads the engine's loops use: the value set last, else the environment
// variable BRENWICK_THREADS, else the number of hardware threads. Always at least 1.
unsigned WorkerCount();
void SetWorkerCount(unsigned count);  // 0 returns to the default

// Calls body(begin, end) for consecutive ranges that together cover [0, count), each range
// on its own thread (where no more threads can be started, the calling thread runs the ranges
// left over after its own). Returns when all are done; rethrows the first exception of a range.
// With a stop token that can be asked to stop, or with `progress`, each thread's range is
// handed to the body in pieces: a request to stop ends the loop with ExportCancelled after the
// current piece, and `progress` is told the share of all items done after each piece of the
// calling thread, and once more at the end, always on the calling thread.
void ParallelFor(std::size_t count, const std::function<void(std::size_t, std::size_t)>& body,
                 const std::stop_token& stop = {}, const WorkProgress& progress = {});

// Runs `main` on the calling thread and `beside` on a thread of its own at the same time; where
// the engine has one thread or no thread can be started, `beside` runs after `main`. Returns when
// both are done; rethrows the exception of `main` before that of `beside`.
void RunBeside(const std::function<void()>& main, const std::function<void()>& beside);

}  // namespace brenwick

#endif
