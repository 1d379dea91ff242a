// The check of an export file before it goes to Garfield++: what it holds (header, ranges,
// element material counts, material records), what makes it malformed, and what Garfield++
// would misread or misuse in it.
#ifndef BRENWICK_EFM_INSPECTION_H
#define BRENWICK_EFM_INSPECTION_H

#include "format.h"

#include <array>
#include <cstdint>
#include <istream>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace brenwick::efm {

struct ValueRange {
    double min = 0, max = 0;
    std::uint64_t count = 0;       // finite values seen
    std::uint64_t not_finite = 0;  // NaN or infinite values
};

struct Report {
    std::uint64_t file_size = 0;
    std::optional<Header> header;                          // absent when the header cannot be read
    std::uint64_t expected_size = 0;                       // what the header and the records imply
    std::array<std::optional<ValueRange>, 3> mesh;         // x, y, z line ranges
    std::optional<ValueRange> node_values;
    std::optional<ValueRange> element_properties;
    std::map<unsigned, std::uint64_t> element_material_counts;  // byte -> number of elements
    std::vector<MaterialRecord> materials;
    std::vector<std::string> problems;  // the file is malformed
    std::vector<std::string> warnings;  // well-formed, but Garfield++ would misread or misuse it

    bool Valid() const { return problems.empty(); }
};

// Reads `file_size` bytes of an export file from `in`, block by block.
Report Inspect(std::istream& in, std::uint64_t file_size);
// Opens and inspects the file at path; a file that cannot be read is a problem of the report.
Report InspectFile(const std::string& path);

}  // namespace brenwick::efm

#endif
