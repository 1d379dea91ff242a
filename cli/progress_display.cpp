#include "progress_display.h"

#include <iomanip>

namespace brenwick {

ProgressDisplay::ProgressDisplay(std::ostream& out) : out_(&out), start_(std::chrono::steady_clock::now()) {}

void ProgressDisplay::operator()(const ExportProgress& progress) {
    const ExportStage stage = progress.stage;
    if (shown_ == stage) return;
    shown_ = stage;
    const std::chrono::duration<double> elapsed = std::chrono::steady_clock::now() - start_;
    *out_ << "[" << std::fixed << std::setprecision(1) << elapsed.count() << " s] " << ExportStageName(stage)
          << (stage == ExportStage::Finished ? "" : "...") << std::endl;
}

}  // namespace brenwick
