#include "painting_threads.h"

#include <QThreadPool>

#include <exception>
#include <future>
#include <stdexcept>
#include <thread>
#include <vector>

namespace brenwick::render {

namespace {

// How many of `wanted` threads can run at once now: each is started and kept waiting until all
// are tried.
int ThreadsThatCanStart(int wanted) {
    std::promise<void> tried;
    const std::shared_future<void> all_tried = tried.get_future().share();
    std::vector<std::jthread> threads;
    threads.reserve(static_cast<std::size_t>(wanted));
    try {
        while (static_cast<int>(threads.size()) < wanted) threads.emplace_back([all_tried] { all_tried.wait(); });
    } catch (const std::exception&) {
        // No room for another thread (or for what one needs): those started are the room.
    }
    tried.set_value();
    return static_cast<int>(threads.size());
}

}  // namespace

void FitPaintingThreadsToRoom() {
    QThreadPool& pool = *QThreadPool::globalInstance();
    const int room = ThreadsThatCanStart(pool.maxThreadCount());
    if (room == 0) throw std::runtime_error("no thread could be started to draw the picture");
    if (room < pool.maxThreadCount()) pool.setMaxThreadCount(room);
}

}  // namespace brenwick::render
