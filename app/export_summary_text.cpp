#include "export_summary_text.h"

#include "engine/size_text.h"

#include <sstream>

namespace brenwick {

namespace {

// The exact count, and beside it the size in a binary unit from 1 KiB on.
std::string FileSizeText(std::uint64_t bytes) {
    std::string text = std::to_string(bytes) + " bytes";
    if (bytes >= 1024) text += " (" + BinarySize(bytes) + ")";
    return text;
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
