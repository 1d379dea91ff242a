#include "export_control.h"

namespace brenwick {

const char* ExportStageName(ExportStage stage) {
    switch (stage) {
    case ExportStage::ReadingProperties: return "reading material properties";
    case ExportStage::AssigningMaterials: return "assigning materials";
    case ExportStage::ReadingPotential: return "reading the potential";
    case ExportStage::Writing: return "writing";
    case ExportStage::Finished: return "done";
    }
    return "";
}

ExportCancelled::ExportCancelled()
    : EngineError("SaveBinaryFile: The export was cancelled; the output file was left as it was.") {}

void StopIfRequested(const std::stop_token& stop) {
    if (stop.stop_requested()) throw ExportCancelled();
}

}  // namespace brenwick
