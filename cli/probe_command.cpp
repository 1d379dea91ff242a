#include "probe_command.h"

#include "command_failure.h"
#include "efm/garfield_limits.h"
#include "json_text.h"

#include <CLI/CLI.hpp>
#include <nlohmann/json.hpp>

#include <charconv>
#include <sstream>

namespace brenwick {

namespace {

// A number with nine significant digits, written with to_chars: thousands of points print
// several times faster than through the stream's own formatting.
struct Number {
    double value;
};

std::ostream& operator<<(std::ostream& out, Number number) {
    char text[32];
    const auto end = std::to_chars(text, text + sizeof text, number.value, std::chars_format::general, 9).ptr;
    return out.write(text, end - text);
}

// Three numbers in parentheses.
struct Triple {
    const std::array<double, 3>& values;
};

std::ostream& operator<<(std::ostream& out, Triple triple) {
    return out << "(" << Number{triple.values[0]} << ", " << Number{triple.values[1]} << ", " << Number{triple.values[2]}
               << ")";
}

void WriteMaterial(std::ostream& out, const fieldmap::ProbeResult& result) {
    if (!result.material_index) {
        out << "no element materials in the file";
        return;
    }
    out << "material " << *result.material_index;
    if (!result.material) {
        out << " (the byte names no material record)";
        return;
    }
    out << " (ID " << Number{result.material->id} << ", \"" << result.material->description << "\"";
    if (efm::IsDriftGas(*result.material)) out << ", drift gas";
    out << ")";
}

nlohmann::json MaterialJson(const fieldmap::ProbeResult& result) {
    if (!result.material_index) return nullptr;
    nlohmann::json material{{"index", *result.material_index}, {"id", nullptr}, {"description", nullptr}, {"gas", false}};
    if (result.material) {
        material["id"] = result.material->id;
        material["description"] = result.material->description;
        material["gas"] = efm::IsDriftGas(*result.material);
    }
    return material;
}

std::vector<fieldmap::Point> Points(const std::vector<double>& coordinates) {
    std::vector<fieldmap::Point> points;
    for (std::size_t n = 0; n + 2 < coordinates.size(); n += 3) {
        points.push_back({coordinates[n], coordinates[n + 1], coordinates[n + 2]});
    }
    return points;
}

}  // namespace

std::string FormatProbeText(std::span<const fieldmap::ProbeResult> results) {
    std::ostringstream text;
    for (const fieldmap::ProbeResult& result : results) {
        text << "point " << Triple{result.point} << ": ";
        if (!result.inside) {
            text << "outside the mesh\n";
            continue;
        }
        text << "element (" << result.element[0] << ", " << result.element[1] << ", " << result.element[2] << "), ";
        WriteMaterial(text, result);
        text << ", potential " << Number{result.potential} << " V, field " << Triple{result.field} << " V per length unit\n";
    }
    return text.str();
}

std::string FormatProbeJson(std::span<const fieldmap::ProbeResult> results) {
    nlohmann::json points = nlohmann::json::array();
    for (const fieldmap::ProbeResult& result : results) {
        nlohmann::json point{{"point", result.point}, {"inside", result.inside}};
        if (result.inside) {
            point["element"] = result.element;
            point["material"] = MaterialJson(result);
            point["potential"] = result.potential;
            point["field"] = result.field;
        }
        points.push_back(std::move(point));
    }
    return JsonText(points) + "\n";
}

int RunProbe(const ProbeOptions& options, std::ostream& out, std::ostream& err) {
    return ReportFailure("probe", options.path, err, [&] {
        efm::FileReader reader(options.path);
        const std::vector<fieldmap::ProbeResult> results = fieldmap::ProbePoints(reader, Points(options.coordinates));
        out << (options.json ? FormatProbeJson(results) : FormatProbeText(results));
        return 0;
    });
}

CLI::App* AddProbeCommand(CLI::App& app, ProbeOptions& options) {
    CLI::App* command = app.add_subcommand(
        "probe", "Show the element, material, potential and field at points of an .efm file (coordinates in the unit "
                 "of its mesh lines)");
    command->add_option("FILE", options.path, "Export file (.efm)")->required();
    command->add_option("X_Y_Z", options.coordinates, "Coordinates of the points, three per point")->required();
    command->add_flag("--json", options.json, "Print one JSON array with an object per point");
    command->callback([&options] {
        if (options.coordinates.size() % 3 != 0) {
            throw CLI::ValidationError("X_Y_Z", "needs three coordinates per point, got " +
                                                    std::to_string(options.coordinates.size()));
        }
    });
    return command;
}

}  // namespace brenwick
