// The lines the dialog shows below a successful export: what was exported where, how large the
// file and its mesh are, how many elements each material record got, and the warnings.
#ifndef BRENWICK_EXPORT_SUMMARY_TEXT_H
#define BRENWICK_EXPORT_SUMMARY_TEXT_H

#include "engine/export_summary.h"

#include <string>

namespace brenwick {

// One line per fact, each ending in a line end but the last.
std::string ExportSummaryText(const ExportSummary& summary);

}  // namespace brenwick

#endif
