// What the front ends say of a successful export: its outcome in one line, then what was
// exported where, from which files and with which options, how large the file and its mesh are,
// how many elements each material record got, and the warnings.
#ifndef BRENWICK_EXPORT_SUMMARY_TEXT_H
#define BRENWICK_EXPORT_SUMMARY_TEXT_H

#include "export_summary.h"

#include <string>

namespace brenwick {

// "done!", or with warnings "done, with 1 warning: <it>" or "done, with N warnings; the first:
// <it>", so that a warning is seen above the counts.
std::string ExportOutcome(const ExportSummary& summary);

// One line per fact, each ending in a line end but the last: the notes, the project, the material
// file, the options, the output and its size, the mesh, the elements per material record.
std::string ExportFacts(const ExportSummary& summary);

// The outcome, the facts and a line "Warning: <it>" per warning.
std::string ExportSummaryText(const ExportSummary& summary);

}  // namespace brenwick

#endif
