// The report of `brenwick-cli inspect`, as text for a person or as JSON for a script.
#ifndef BRENWICK_INSPECT_REPORT_H
#define BRENWICK_INSPECT_REPORT_H

#include "efm/inspection.h"

#include <string>

namespace brenwick {

std::string FormatReport(const std::string& path, const efm::Report& report);
std::string FormatReportJson(const efm::Report& report);

}  // namespace brenwick

#endif
