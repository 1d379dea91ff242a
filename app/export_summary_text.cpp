#include "export_summary_text.h"

#include <iomanip>
#include <sstream>

namespace brenwick {

namespace {

// Bytes in the largest binary unit that leaves at least 1 of it, beside the exact count.
std::string FileSizeText(std::uint64_t bytes) {
    std::ostringstream text;
    text << bytes << " bytes";
    constexpr const char* units[] = {"KiB", "MiB", "GiB", "TiB"};
    double scaled = static_cast<double>(bytes);
    const char* unit = nullptr;
    for (const char* larger : units) {
        if (scaled < 1024) break;
        scaled /= 1024;
        unit = larger;
    }
    if (unit != nullptr) text << " (" << std::fixed << std::setprecision(1) << scaled << " " << unit << ")";
    return text.str();
}

void AppendElementMaterials(const ExportSummary& summary, std::ostream& text) {
    if (summary.only_potentials) {
        text << "\nOnly potentials: no mesh lines and no element materials.";
        return;
    }
    text << "\nElements per material record:";
    for (std::size_t index = 0; index < summary.records.size() && index < summary.elements_per_byte.size(); ++index)
        text << "\n  " << index << " " << summary.records[index].description << ": "
             << summary.elements_per_byte[index];
}

}  // namespace

std::string ExportSummaryText(const ExportSummary& summary) {
    std::ostringstream text;
    text << "Project: " << summary.project_path << "\nWritten: " << summary.output_path << ", "
         << FileSizeText(summary.file_size) << "\nMesh: " << summary.nodes << " nodes, " << summary.elements
         << " elements";
    AppendElementMaterials(summary, text);
    for (const std::string& warning : summary.warnings) text << "\nWarning: " << warning;
    return text.str();
}

}  // namespace brenwick
