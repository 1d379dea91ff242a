#include "progress_display.h"

#include <cstdio>
#include <iomanip>

#if defined(_WIN32)
#include <io.h>
#else
#include <unistd.h>
#endif

namespace brenwick {

bool StandardErrorIsTerminal() {
#if defined(_WIN32)
    return _isatty(_fileno(stderr)) != 0;
#else
    return isatty(fileno(stderr)) != 0;
#endif
}

ProgressDisplay::ProgressDisplay(std::ostream& out) : out_(&out), start_(std::chrono::steady_clock::now()) {}

void ProgressDisplay::operator()(ExportStage stage) {
    const std::chrono::duration<double> elapsed = std::chrono::steady_clock::now() - start_;
    *out_ << "[" << std::fixed << std::setprecision(1) << elapsed.count() << " s] " << ExportStageName(stage)
          << (stage == ExportStage::Finished ? "" : "...") << std::endl;
}

}  // namespace brenwick
