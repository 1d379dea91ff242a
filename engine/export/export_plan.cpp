#include "export_plan.h"

#include <algorithm>

namespace brenwick {

ExportStage StageOf(ExportWork work) {
    switch (work) {
    case ExportWork::MaterialMatrix:
    case ExportWork::ElementProperties: return ExportStage::ReadingProperties;
    case ExportWork::Assignment: return ExportStage::AssigningMaterials;
    case ExportWork::Potential: return ExportStage::ReadingPotential;
    case ExportWork::File: return ExportStage::Writing;
    }
    return ExportStage::Finished;
}

double ExportPlan::Done(ExportWork work, double fraction) const {
    const auto index = static_cast<std::size_t>(work);
    double before = 0, total = 0;
    for (std::size_t i = 0; i < bytes_.size(); ++i) {
        total += static_cast<double>(bytes_[i]);
        if (i < index) before += static_cast<double>(bytes_[i]);
    }
    if (total == 0) return 0;
    return std::clamp((before + std::clamp(fraction, 0.0, 1.0) * static_cast<double>(bytes_[index])) / total, 0.0, 1.0);
}

}  // namespace brenwick
