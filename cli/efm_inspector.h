// Reads an export file the way Garfield++ reads it and reports what it holds and what is
// wrong with it: the check a user runs before loading a field map.
#ifndef BRENWICK_EFM_INSPECTOR_H
#define BRENWICK_EFM_INSPECTOR_H

#include <array>
#include <cstdint>
#include <istream>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace brenwick {

// The sixteen header numbers, in header order.
inline constexpr std::array<const char*, 16> efm_header_keys{
    "mesh_nx",           "mesh_ny",           "mesh_nz",           "mesh_xlines",
    "mesh_ylines",       "mesh_zlines",       "nodes_scalar",      "nodes_vector_x",
    "nodes_vector_y",    "nodes_vector_z",    "elements_scalar",   "elements_vector_x",
    "elements_vector_y", "elements_vector_z", "elements_material", "n_materials"};

struct EfmMaterial {
    float id = 0;
    std::string description;
    float eps = 0, mue = 0, rho = 0;
};

struct ValueRange {
    double min = 0, max = 0;
    std::uint64_t count = 0;      // finite values seen
    std::uint64_t not_finite = 0; // NaN or infinite values
};

struct EfmReport {
    std::uint64_t file_size = 0;
    std::optional<std::array<std::int64_t, 16>> header;  // absent when the header cannot be read
    std::uint64_t expected_size = 0;                     // what the header and the records imply
    std::array<std::optional<ValueRange>, 3> mesh;       // x, y, z line ranges
    std::optional<ValueRange> node_values;
    std::optional<ValueRange> element_properties;
    std::map<unsigned, std::uint64_t> element_material_counts;  // byte -> number of elements
    std::vector<EfmMaterial> materials;
    std::vector<std::string> problems;  // the file is malformed
    std::vector<std::string> warnings;  // well-formed, but Garfield++ would misread or misuse it

    bool Valid() const { return problems.empty(); }
};

// Reads `file_size` bytes of an export file from `in`, block by block.
EfmReport InspectEfm(std::istream& in, std::uint64_t file_size);
// Opens and inspects the file at path; a file that cannot be read is a problem of the report.
EfmReport InspectEfmFile(const std::string& path);

std::string FormatReport(const std::string& path, const EfmReport& report);
std::string FormatReportJson(const EfmReport& report);

}  // namespace brenwick

#endif
