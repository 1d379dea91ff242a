#include "export_progress.h"

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

}  // namespace brenwick
