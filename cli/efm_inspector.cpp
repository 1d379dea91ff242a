#include "efm_inspector.h"

#include <nlohmann/json.hpp>

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <limits>
#include <sstream>

namespace brenwick {

namespace {

constexpr std::uint64_t header_size = 1000;
constexpr std::uint64_t saturated = std::numeric_limits<std::uint64_t>::max();
constexpr std::size_t chunk_values = 1 << 20;

enum Key { nx, ny, nz, xl, yl, zl, ns, nvx, nvy, nvz, es, evx, evy, evz, em, nm };

std::uint64_t Multiply(std::uint64_t a, std::uint64_t b) {
    return a != 0 && b > saturated / a ? saturated : a * b;
}
std::uint64_t Add(std::uint64_t a, std::uint64_t b) { return b > saturated - a ? saturated : a + b; }

std::string Describe(std::int64_t value) { return std::to_string(value); }

// The six lines, each a fixed run of key=value pairs, are the whole text before the NUL.
bool ParseHeaderText(const std::string& text, std::array<std::int64_t, 16>& numbers, std::string& problem) {
    static constexpr std::array<int, 6> keys_per_line{3, 3, 4, 4, 1, 1};
    std::size_t position = 0;
    std::size_t key = 0;
    for (std::size_t line = 0; line < keys_per_line.size(); ++line) {
        const std::size_t end = text.find('\n', position);
        if (end == std::string::npos) {
            problem = "header line " + std::to_string(line + 1) + " is missing or not ended by a line feed";
            return false;
        }
        std::istringstream pairs(text.substr(position, end - position));
        std::string pair;
        for (int k = 0; k < keys_per_line[line]; ++k, ++key) {
            const std::string expected = std::string(efm_header_keys[key]) + "=";
            if (!(pairs >> pair) || pair.compare(0, expected.size(), expected) != 0) {
                problem = "header line " + std::to_string(line + 1) + " lacks \"" + expected + "\"";
                return false;
            }
            const char* first = pair.data() + expected.size();
            const char* last = pair.data() + pair.size();
            std::int32_t value = 0;
            const auto [stop, error] = std::from_chars(first, last, value);
            if (error != std::errc() || stop != last || first == last) {
                problem = "header value \"" + pair + "\" is not a 32-bit integer";
                return false;
            }
            numbers[key] = value;
        }
        if (pairs >> pair) {
            problem = "header line " + std::to_string(line + 1) + " has extra text \"" + pair + "\"";
            return false;
        }
        position = end + 1;
    }
    if (position != text.size()) {
        problem = "the header has text after its sixth line";
        return false;
    }
    return true;
}

void CheckHeaderNumbers(const std::array<std::int64_t, 16>& h, std::vector<std::string>& problems) {
    for (std::size_t k = 0; k < h.size(); ++k) {
        if (h[k] < 0) problems.push_back(std::string(efm_header_keys[k]) + " is negative");
    }
    if (!problems.empty()) return;
    if (h[nx] < 1 || h[ny] < 1 || h[nz] < 1) problems.push_back("the mesh needs at least one line on every axis");
    const bool has_lines = h[xl] != 0 || h[yl] != 0 || h[zl] != 0;
    if (has_lines && (h[xl] != h[nx] || h[yl] != h[ny] || h[zl] != h[nz])) {
        problems.push_back("mesh line counts " + Describe(h[xl]) + " x " + Describe(h[yl]) + " x " + Describe(h[zl]) +
                           " differ from the mesh size " + Describe(h[nx]) + " x " + Describe(h[ny]) + " x " +
                           Describe(h[nz]));
    }
    const std::uint64_t nodes = Multiply(Multiply(h[nx], h[ny]), h[nz]);
    if (static_cast<std::uint64_t>(h[ns]) != nodes) {
        problems.push_back("nodes_scalar=" + Describe(h[ns]) + " but the mesh has " + std::to_string(nodes) + " nodes");
    }
    for (Key vector_key : {nvx, nvy, nvz, evx, evy, evz}) {
        if (h[vector_key] != 0) problems.push_back(std::string(efm_header_keys[vector_key]) + " is not 0");
    }
    const auto minus_one = [](std::int64_t n) { return static_cast<std::uint64_t>(std::max<std::int64_t>(n - 1, 0)); };
    const std::uint64_t elements = Multiply(Multiply(minus_one(h[nx]), minus_one(h[ny])), minus_one(h[nz]));
    for (Key element_key : {es, em}) {
        if (h[element_key] != 0 && static_cast<std::uint64_t>(h[element_key]) != elements) {
            problems.push_back(std::string(efm_header_keys[element_key]) + "=" + Describe(h[element_key]) +
                               " but the mesh has " + std::to_string(elements) + " elements");
        }
    }
    if (!has_lines && (h[es] != 0 || h[em] != 0 || h[nm] != 0)) {
        problems.push_back("element or material blocks without mesh lines");
    }
}

// Reads `count` values of type T in chunks and hands each chunk to `visit`.
template <typename T, typename Visit>
bool ReadValues(std::istream& in, std::uint64_t count, Visit visit) {
    std::vector<T> chunk(static_cast<std::size_t>(std::min<std::uint64_t>(count, chunk_values)));
    for (std::uint64_t done = 0; done < count;) {
        const auto n = static_cast<std::size_t>(std::min<std::uint64_t>(count - done, chunk.size()));
        if (!in.read(reinterpret_cast<char*>(chunk.data()), static_cast<std::streamsize>(n * sizeof(T)))) return false;
        for (std::size_t v = 0; v < n; ++v) visit(chunk[v]);
        done += n;
    }
    return true;
}

template <typename T>
std::optional<ValueRange> ReadRange(std::istream& in, std::uint64_t count, bool* increasing = nullptr) {
    ValueRange range;
    bool first = true;
    double previous = 0;
    if (increasing != nullptr) *increasing = true;
    const bool read = ReadValues<T>(in, count, [&](T raw) {
        const double value = raw;
        if (increasing != nullptr && (!first && !(value > previous))) *increasing = false;
        previous = value;
        first = false;
        if (!std::isfinite(value)) {
            ++range.not_finite;
            return;
        }
        range.min = range.count == 0 ? value : std::min(range.min, value);
        range.max = range.count == 0 ? value : std::max(range.max, value);
        ++range.count;
    });
    if (!read) return std::nullopt;
    return range;
}

bool ReadMaterialRecord(std::istream& in, std::uint64_t remaining, EfmMaterial& material, std::uint64_t& record_size,
                        std::string& problem) {
    std::int32_t length = 0;
    if (remaining < 8 || !in.read(reinterpret_cast<char*>(&material.id), 4) ||
        !in.read(reinterpret_cast<char*>(&length), 4)) {
        problem = "is cut off";
        return false;
    }
    if (length < 1) {
        problem = "has a description length of " + std::to_string(length);
        return false;
    }
    record_size = 20 + static_cast<std::uint64_t>(length);
    if (remaining < record_size) {
        problem = "is cut off";
        return false;
    }
    std::string description(static_cast<std::size_t>(length), '\0');
    float properties[3];
    if (!in.read(description.data(), length) || !in.read(reinterpret_cast<char*>(properties), sizeof properties)) {
        problem = "is cut off";
        return false;
    }
    if (description.back() != '\0') {
        problem = "has a description that does not end with a NUL byte";
        return false;
    }
    description.pop_back();
    material.description = std::move(description);
    material.eps = properties[0];
    material.mue = properties[1];
    material.rho = properties[2];
    return true;
}

void ReadMaterials(std::istream& in, std::uint64_t count, std::uint64_t remaining, EfmReport& report) {
    for (std::uint64_t index = 0; index < count; ++index) {
        EfmMaterial material;
        std::uint64_t record_size = 0;
        std::string problem;
        if (!ReadMaterialRecord(in, remaining, material, record_size, problem)) {
            report.problems.push_back("material record " + std::to_string(index) + " " + problem);
            report.expected_size = saturated;
            return;
        }
        remaining -= record_size;
        report.expected_size = Add(report.expected_size, record_size);
        report.materials.push_back(std::move(material));
    }
}

void AddGarfieldWarnings(const std::array<std::int64_t, 16>& h, EfmReport& report) {
    if (h[xl] == 0 && h[em] == 0 && h[nm] == 0) {
        report.warnings.push_back("the file holds only potentials: usable as a weighting field only");
        return;
    }
    const std::size_t records = report.materials.size();
    for (const auto& [byte, elements] : report.element_material_counts) {
        if (byte >= records) {
            report.warnings.push_back(std::to_string(elements) + " elements have the material byte " +
                                      std::to_string(byte) + ", which is no index into the " +
                                      std::to_string(records) + " material records (Garfield++ takes them by position)");
        }
    }
    for (std::size_t index = 0; index < records; ++index) {
        if (report.materials[index].id != static_cast<float>(index)) {
            std::ostringstream text;
            text << "material record " << index << " has the ID " << report.materials[index].id
                 << ": Garfield++ gives it to the elements with the byte " << index;
            report.warnings.push_back(text.str());
        }
    }
    const bool has_gas = std::any_of(report.materials.begin(), report.materials.end(),
                                     [](const EfmMaterial& m) { return m.description == "gas"; });
    if (!has_gas) report.warnings.push_back("no material is described as \"gas\": Garfield++ finds no drift medium");
}

void ReadBlocks(std::istream& in, const std::array<std::int64_t, 16>& h, EfmReport& report) {
    const auto count = [&](Key key) { return static_cast<std::uint64_t>(h[key]); };
    std::uint64_t records_start = header_size;
    records_start = Add(records_start, Multiply(8, Add(Add(count(xl), count(yl)), count(zl))));
    records_start = Add(records_start, Multiply(4, Add(count(ns), count(es))));
    records_start = Add(records_start, count(em));
    report.expected_size = records_start;
    if (report.file_size < records_start) {
        report.problems.push_back("the file has " + std::to_string(report.file_size) +
                                  " bytes, but its header implies at least " + std::to_string(records_start));
        return;
    }
    const char axis_names[3] = {'x', 'y', 'z'};
    for (int axis = 0; axis < 3; ++axis) {
        bool increasing = true;
        report.mesh[axis] = ReadRange<double>(in, count(static_cast<Key>(xl + axis)), &increasing);
        if (!increasing) report.warnings.push_back(std::string(1, axis_names[axis]) + " mesh lines are not strictly increasing");
    }
    report.node_values = ReadRange<float>(in, count(ns));
    if (report.node_values && report.node_values->not_finite > 0) {
        report.warnings.push_back(std::to_string(report.node_values->not_finite) + " node values are not finite");
    }
    if (count(es) > 0) report.element_properties = ReadRange<float>(in, count(es));
    ReadValues<unsigned char>(in, count(em), [&](unsigned char byte) { ++report.element_material_counts[byte]; });
    ReadMaterials(in, count(nm), report.file_size - records_start, report);
    if (report.Valid() && report.file_size != report.expected_size) {
        report.problems.push_back("the file has " + std::to_string(report.file_size) +
                                  " bytes, but its header and material records imply " +
                                  std::to_string(report.expected_size));
    }
    if (report.Valid()) AddGarfieldWarnings(h, report);
}

std::string RangeText(const std::optional<ValueRange>& range) {
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

EfmReport InspectEfm(std::istream& in, std::uint64_t file_size) {
    EfmReport report;
    report.file_size = file_size;
    if (file_size < header_size) {
        report.problems.push_back("the file has " + std::to_string(file_size) + " bytes, fewer than its 1000-byte header");
        return report;
    }
    std::string block(header_size, '\0');
    if (!in.read(block.data(), header_size)) {
        report.problems.push_back("the header cannot be read");
        return report;
    }
    const std::size_t nul = block.find('\0');
    if (nul == std::string::npos) {
        report.problems.push_back("the header text is not ended by a NUL byte within 1000 bytes");
        return report;
    }
    std::array<std::int64_t, 16> numbers{};
    std::string problem;
    if (!ParseHeaderText(block.substr(0, nul), numbers, problem)) {
        report.problems.push_back(problem);
        return report;
    }
    report.header = numbers;
    CheckHeaderNumbers(numbers, report.problems);
    if (report.Valid()) ReadBlocks(in, numbers, report);
    return report;
}

EfmReport InspectEfmFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::error_code error;
    if (!in || std::filesystem::is_directory(path, error)) {
        EfmReport report;
        report.problems.push_back("cannot open " + path);
        return report;
    }
    in.seekg(0, std::ios::end);
    const auto size = static_cast<std::uint64_t>(in.tellg());
    in.seekg(0);
    return InspectEfm(in, size);
}

std::string FormatReport(const std::string& path, const EfmReport& report) {
    std::ostringstream out;
    out << "File: " << path << " (" << report.file_size << " bytes";
    if (report.header) out << ", header and records imply " << report.expected_size;
    out << ")\n";
    if (report.header) {
        out << "Header:\n";
        for (std::size_t k = 0; k < efm_header_keys.size(); ++k) {
            out << "  " << efm_header_keys[k] << "=" << (*report.header)[k] << "\n";
        }
        const char axis_names[3] = {'x', 'y', 'z'};
        for (int axis = 0; axis < 3; ++axis) {
            out << "Mesh " << axis_names[axis] << " lines: " << RangeText(report.mesh[axis]) << "\n";
        }
        out << "Node values: " << RangeText(report.node_values) << "\n";
        if (report.element_properties) out << "Element properties: " << RangeText(report.element_properties) << "\n";
        out << "Element materials:";
        if (report.element_material_counts.empty()) out << " none";
        for (const auto& [byte, elements] : report.element_material_counts) out << " " << byte << ":" << elements;
        out << "\nMaterials: " << report.materials.size() << "\n";
        for (std::size_t index = 0; index < report.materials.size(); ++index) {
            const EfmMaterial& m = report.materials[index];
            out << "  [" << index << "] ID " << m.id << " \"" << m.description << "\" eps " << m.eps << " mue " << m.mue
                << " rho " << m.rho << "\n";
        }
    }
    for (const std::string& warning : report.warnings) out << "Warning: " << warning << "\n";
    for (const std::string& problem : report.problems) out << "Problem: " << problem << "\n";
    out << (report.Valid() ? "Result: well-formed\n" : "Result: malformed\n");
    return out.str();
}

std::string FormatReportJson(const EfmReport& report) {
    nlohmann::json json;
    if (report.header) {
        for (std::size_t k = 0; k < efm_header_keys.size(); ++k) json[efm_header_keys[k]] = (*report.header)[k];
    }
    json["file_size"] = report.file_size;
    json["expected_size"] = report.expected_size;
    json["materials"] = nlohmann::json::array();
    for (const EfmMaterial& m : report.materials) {
        json["materials"].push_back({{"id", m.id}, {"description", m.description}, {"eps", m.eps}, {"mue", m.mue}, {"rho", m.rho}});
    }
    nlohmann::json counts = nlohmann::json::object();
    for (const auto& [byte, elements] : report.element_material_counts) counts[std::to_string(byte)] = elements;
    json["element_material_counts"] = counts;
    json["valid"] = report.Valid();
    json["problems"] = report.problems;
    json["warnings"] = report.warnings;
    return json.dump(2, ' ', false, nlohmann::json::error_handler_t::replace);
}

}  // namespace brenwick
