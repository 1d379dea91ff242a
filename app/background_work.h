// Work on a thread of Qt's pool, with a call on the user-interface thread once it has
// returned: the window runs the export this way, so that it keeps repainting meanwhile.
#ifndef BRENWICK_BACKGROUND_WORK_H
#define BRENWICK_BACKGROUND_WORK_H

#include <QFutureWatcher>

#include <functional>

namespace brenwick {

class BackgroundWork {
public:
    BackgroundWork();
    // Waits for work still running, which may use what its owner is about to destroy.
    ~BackgroundWork();
    BackgroundWork(const BackgroundWork&) = delete;
    BackgroundWork& operator=(const BackgroundWork&) = delete;

    // Runs `work` on a worker, then `finished` on the thread that made this object. Throws
    // std::logic_error while earlier work runs.
    void Start(std::function<void()> work, std::function<void()> finished);
    // Blocks until the work has returned; its `finished` is then never called.
    void Wait();

private:
    QFutureWatcher<void> watcher_;
    std::function<void()> finished_;
};

}  // namespace brenwick

#endif
