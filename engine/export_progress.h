// The stages of an export, for front ends that show progress.
#ifndef BRENWICK_EXPORT_PROGRESS_H
#define BRENWICK_EXPORT_PROGRESS_H

#include <functional>

namespace brenwick {

enum class ExportStage { ReadingProperties, AssigningMaterials, ReadingPotential, Writing, Finished };

// Short lower-case name of a stage, e.g. "assigning materials".
const char* ExportStageName(ExportStage stage);

// Called on the exporting thread as each stage begins; must not throw.
using ExportProgressListener = std::function<void(ExportStage)>;

}  // namespace brenwick

#endif
