#include "read_monitor.h"

namespace brenwick {

ReadMonitor::ReadMonitor(const ResultReader& reader, CSTProjHandle& handle, std::stop_token stop, WorkProgress progress)
    : m_reader(reader), m_handle(handle), m_stop(std::move(stop)), m_progress(std::move(progress)) {
    // A reader that refuses the monitor is read as it is, like one without it.
    if (m_reader.functions.set_read_monitor) m_reader.functions.set_read_monitor(&m_handle, &ReadMonitor::Tell, this);
}

ReadMonitor::~ReadMonitor() {
    if (m_reader.functions.set_read_monitor) m_reader.functions.set_read_monitor(&m_handle, nullptr, nullptr);
}

int ReadMonitor::Tell(void* context, uint64_t done, uint64_t total) noexcept {
    const auto& self = *static_cast<const ReadMonitor*>(context);
    if (self.m_progress && total > 0) self.m_progress(static_cast<double>(done) / static_cast<double>(total));
    return self.m_stop.stop_requested() ? 1 : 0;
}

}  // namespace brenwick
