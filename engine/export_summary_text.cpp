#include "export_summary_text.h"

#include "engine/support/size_text.h"

#include <sstream>

namespace brenwick {

namespace {

// The exact count, and beside it the size in a binary unit from 1 KiB on.
std::string FileSizeText(std::uint64_t bytes) {
    std::string text = std::to_string(bytes) + " bytes";
    if (bytes >= 1024) text += " (" + BinarySize(bytes) + ")";
    return text;
}

void AppendInputs(const ExportSummary& summary, std::ostream& text) {
    text << "Project: " << summary.project_path;
    if (summary.only_potentials) {
        text << "\nOptions: only potentials";
        return;
    }
    text << "\nMaterial file: " << summary.material_path << "\nOptions: element materials by "
         << (summary.by_density ? "density" : "permittivity") << ", material property "
         << (summary.material_property ? "written" : "not written");
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

std::string ExportOutcome(const ExportSummary& summary) {
    const std::size_t count = summary.warnings.size();
    if (count == 0) return "done!";
    if (count == 1) return "done, with 1 warning: " + summary.warnings.front();
    return "done, with " + std::to_string(count) + " warnings; the first: " + summary.warnings.front();
}

std::string ExportFacts(const ExportSummary& summary) {
    std::ostringstream text;
    for (const std::string& note : summary.notes) text << note << "\n";
    AppendInputs(summary, text);
    text << "\nWritten: " << summary.output_path << ", " << FileSizeText(summary.file_size)
         << "\nMesh: " << summary.nodes << " nodes, " << summary.elements << " elements";
    AppendElementMaterials(summary, text);
    return text.str();
}

std::string ExportSummaryText(const ExportSummary& summary) {
    std::string text = ExportOutcome(summary) + "\n" + ExportFacts(summary);
    for (const std::string& warning : summary.warnings) text += "\nWarning: " + warning;
    return text;
}

}  // namespace brenwick
