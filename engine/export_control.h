// What a front end sees of a running export and how it stops one: the stage under way with the
// share of the whole export done, and cancellation through a std::stop_token.
#ifndef BRENWICK_EXPORT_CONTROL_H
#define BRENWICK_EXPORT_CONTROL_H

#include "engine_error.h"

#include <functional>
#include <stdexcept>
#include <stop_token>

namespace brenwick {

enum class ExportStage { ReadingProperties, AssigningMaterials, ReadingPotential, Writing, Finished };
inline constexpr int kExportStageCount = 5;

// Short lower-case name of a stage, e.g. "assigning materials".
const char* ExportStageName(ExportStage stage);

struct ExportProgress {
    ExportStage stage;
    // The share of the export's work done, from 0 to 1, in proportion to the bytes that its
    // stages read, compute over and write; 1 once it has finished.
    double done = 0;
};

// Called on the exporting thread as each stage begins and many times while it runs; must not
// throw and should return quickly.
using ExportProgressListener = std::function<void(const ExportProgress&)>;

// Told the share of one piece of work done, from 0 to 1, on the thread that started the work.
using WorkProgress = std::function<void(double)>;

// An export that stopped because its stop token asked it to. The output is left as it was.
class ExportCancelled : public EngineError {
public:
    ExportCancelled();
};

// Throws ExportCancelled when `stop` has been asked to stop.
void StopIfRequested(const std::stop_token& stop);

}  // namespace brenwick

#endif
