// Following and stopping a long read of the result reader, for a reader that offers the
// optional read monitor (result_reader.h); with any other reader it does nothing.
#ifndef BRENWICK_READ_MONITOR_H
#define BRENWICK_READ_MONITOR_H

#include "engine/export_control.h"
#include "reader_functions.h"

#include <stop_token>

namespace brenwick {

// While it lives, the reader's reads of the project report their share done to `progress`
// (on the reading thread) and end soon once `stop` is asked to stop.
class ReadMonitor {
public:
    ReadMonitor(const ResultReader& reader, CSTProjHandle& handle, std::stop_token stop, WorkProgress progress);
    // Takes the monitor from the reader again.
    ~ReadMonitor();
    ReadMonitor(const ReadMonitor&) = delete;
    ReadMonitor& operator=(const ReadMonitor&) = delete;

private:
    static int Tell(void* context, uint64_t done, uint64_t total) noexcept;

    const ResultReader& reader_;
    CSTProjHandle& handle_;
    std::stop_token stop_;
    WorkProgress progress_;
};

}  // namespace brenwick

#endif
