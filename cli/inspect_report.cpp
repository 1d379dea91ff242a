#include "inspect_report.h"

#include "json_text.h"

#include <nlohmann/json.hpp>

#include <sstream>

namespace brenwick {

namespace {

std::string RangeText(const std::optional<efm::ValueRange>& range) {
    if (!range) return "unread";
    std::ostringstream text;
    text.precision(9);
    if (range->count == 0) {
        text << "no finite values";
    } else {
        text << "[" << range->min << ", " << range->max << "]";
    }
    if (range->not_finite > 0) text << ", " << range->not_finite << " not finite";
    return text.str();
}

}  // namespace

std::string FormatReport(const std::string& path, const efm::Report& report) {
    std::ostringstream out;
    out << "File: " << path << " (" << report.file_size << " bytes";
    if (report.header) out << ", header and records imply " << report.expected_size;
    out << ")\n";
    if (report.header) {
        out << "Header:\n";
        for (std::size_t k = 0; k < efm::kKeyCount; ++k) {
            out << "  " << efm::kKeyNames[k] << "=" << report.header->numbers[k] << "\n";
        }
        for (const efm::Axis axis : efm::kAxes) {
            out << "Mesh " << efm::AxisLetter(axis)
                << " lines: " << RangeText(report.mesh[static_cast<std::size_t>(axis)]) << "\n";
        }
        out << "Node values: " << RangeText(report.node_values) << "\n";
        if (report.element_properties) out << "Element properties: " << RangeText(report.element_properties) << "\n";
        out << "Element materials:";
        if (report.element_material_counts.empty()) out << " none";
        for (const auto& [byte, elements] : report.element_material_counts) out << " " << byte << ":" << elements;
        out << "\nMaterials: " << report.materials.size() << "\n";
        for (std::size_t index = 0; index < report.materials.size(); ++index) {
            const efm::MaterialRecord& m = report.materials[index];
            out << "  [" << index << "] ID " << m.id << " \"" << m.description << "\" eps " << m.eps << " mue " << m.mue
                << " rho " << m.rho << "\n";
        }
    }
    for (const std::string& warning : report.warnings) out << "Warning: " << warning << "\n";
    for (const std::string& problem : report.problems) out << "Problem: " << problem << "\n";
    out << (report.Valid() ? "Result: well-formed\n" : "Result: malformed\n");
    return out.str();
}

std::string FormatReportJson(const efm::Report& report) {
    nlohmann::json json;
    if (report.header) {
        for (std::size_t k = 0; k < efm::kKeyCount; ++k) json[std::string(efm::kKeyNames[k])] = report.header->numbers[k];
    }
    json["file_size"] = report.file_size;
    json["expected_size"] = report.expected_size;
    json["materials"] = nlohmann::json::array();
    for (const efm::MaterialRecord& m : report.materials) {
        json["materials"].push_back({{"id", m.id}, {"description", m.description}, {"eps", m.eps}, {"mue", m.mue}, {"rho", m.rho}});
    }
    nlohmann::json counts = nlohmann::json::object();
    for (const auto& [byte, elements] : report.element_material_counts) counts[std::to_string(byte)] = elements;
    json["element_material_counts"] = counts;
    json["valid"] = report.Valid();
    json["problems"] = report.problems;
    json["warnings"] = report.warnings;
    return JsonText(json);
}

}  // namespace brenwick
