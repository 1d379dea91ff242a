#include "read_monitor.h"

namespace brenwick {

ReadMonitor::ReadMonitor(const ResultReader& reader, CSTProjHandle& handle, std::stop_token stop, WorkProgress progress)
    : reader_(reader), handle_(handle), stop_(std::move(stop)), progress_(std::move(progress)) {
    // A reader that refuses the monitor is read as it is, like one without it.
    if (reader_.functions.set_read_monitor) reader_.functions.set_read_monitor(&handle_, &ReadMonitor::Tell, this);
}

ReadMonitor::~ReadMonitor() {
    if (reader_.functions.set_read_monitor) reader_.functions.set_read_monitor(&handle_, nullptr, nullptr);
}

int ReadMonitor::Tell(void* context, uint64_t done, uint64_t total) noexcept {
    const auto& self = *static_cast<const ReadMonitor*>(context);
    if (self.progress_ && total > 0) self.progress_(static_cast<double>(done) / static_cast<double>(total));
    return self.stop_.stop_requested() ? 1 : 0;
}

}  // namespace brenwick
