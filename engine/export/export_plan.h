// The work of one export, piece by piece, for its progress: which pieces it runs and how much
// each weighs, so that the share done grows in proportion to the work.
#ifndef BRENWICK_EXPORT_PLAN_H
#define BRENWICK_EXPORT_PLAN_H

#include "engine/export_control.h"

#include <array>
#include <cstdint>

namespace brenwick {

enum class ExportWork { MaterialMatrix, ElementProperties, Assignment, Potential, File };

// The stage a piece of work belongs to.
ExportStage StageOf(ExportWork work);

class ExportPlan {
public:
    // The export will do `work`, which reads, computes over or writes `bytes` bytes. Pieces run
    // in the order of ExportWork.
    void Add(ExportWork work, std::uint64_t bytes) { bytes_[static_cast<std::size_t>(work)] = bytes; }
    // The share of the whole export done once `work` has done `fraction` of itself; pieces the
    // plan does not hold weigh nothing.
    double Done(ExportWork work, double fraction) const;

private:
    std::array<std::uint64_t, 5> bytes_{};
};

}  // namespace brenwick

#endif
