// Shows the stages of a long export, one line as each begins, with the time since the export
// began.
#ifndef BRENWICK_PROGRESS_DISPLAY_H
#define BRENWICK_PROGRESS_DISPLAY_H

#include "engine/export_control.h"

#include <chrono>
#include <optional>
#include <ostream>

namespace brenwick {

class ProgressDisplay {
public:
    explicit ProgressDisplay(std::ostream& out);
    void operator()(const ExportProgress& progress);

private:
    std::ostream* out_;
    std::optional<ExportStage> shown_;
    std::chrono::steady_clock::time_point start_;
};

}  // namespace brenwick

#endif
