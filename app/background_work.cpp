#include "background_work.h"

#include <QtConcurrent/QtConcurrentRun>

#include <stdexcept>
#include <utility>

namespace brenwick {

BackgroundWork::BackgroundWork() {
    QObject::connect(&watcher_, &QFutureWatcher<void>::finished, &watcher_, [this] {
        if (const std::function<void()> finished = std::exchange(finished_, nullptr)) finished();
    });
}

BackgroundWork::~BackgroundWork() { Wait(); }

void BackgroundWork::Start(std::function<void()> work, std::function<void()> finished) {
    if (watcher_.isRunning()) throw std::logic_error("background work started while other work runs");
    finished_ = std::move(finished);
    watcher_.setFuture(QtConcurrent::run(std::move(work)));
}

void BackgroundWork::Wait() {
    finished_ = nullptr;
    watcher_.waitForFinished();
}

}  // namespace brenwick
