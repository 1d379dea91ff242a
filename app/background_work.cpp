#include "background_work.h"

#include <QtConcurrent/QtConcurrentRun>

#include <stdexcept>
#include <utility>

namespace brenwick {

BackgroundWork::BackgroundWork() {
    QObject::connect(&m_watcher, &QFutureWatcher<void>::finished, &m_watcher, [this] {
        if (const std::function<void()> finished = std::exchange(m_finished, nullptr)) finished();
    });
}

BackgroundWork::~BackgroundWork() { Wait(); }

void BackgroundWork::Start(std::function<void()> work, std::function<void()> finished) {
    if (m_watcher.isRunning()) throw std::logic_error("background work started while other work runs");
    m_finished = std::move(finished);
    m_watcher.setFuture(QtConcurrent::run(std::move(work)));
}

void BackgroundWork::Wait() {
    m_finished = nullptr;
    m_watcher.waitForFinished();
}

}  // namespace brenwick
