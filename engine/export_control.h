// What a front end sees of a running export and how it stops one: the stages as they begin,
// and cancellation through a std::stop_token.
#ifndef BRENWICK_EXPORT_CONTROL_H
#define BRENWICK_EXPORT_CONTROL_H

#include <functional>
#include <stdexcept>
#include <stop_token>

namespace brenwick {

enum class ExportStage { ReadingProperties, AssigningMaterials, ReadingPotential, Writing, Finished };
inline constexpr int kExportStageCount = 5;

// Short lower-case name of a stage, e.g. "assigning materials".
const char* ExportStageName(ExportStage stage);

// Called on the exporting thread as each stage begins; must not throw.
using ExportProgressListener = std::function<void(ExportStage)>;

// An export that stopped because its stop token asked it to. The output is left as it was.
class ExportCancelled : public std::runtime_error {
public:
    ExportCancelled();
};

// Throws ExportCancelled when `stop` has been asked to stop.
void StopIfRequested(const std::stop_token& stop);

}  // namespace brenwick

#endif
