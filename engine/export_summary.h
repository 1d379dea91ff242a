// What an export wrote, for the summary a front end shows and the warnings it passes on.
#ifndef BRENWICK_EXPORT_SUMMARY_H
#define BRENWICK_EXPORT_SUMMARY_H

#include "efm/format.h"

#include <cstdint>
#include <string>
#include <vector>

namespace brenwick {

struct ExportSummary {
    std::string project_path;
    std::string output_path;
    std::uint64_t file_size = 0;
    std::uint64_t nodes = 0;
    std::uint64_t elements = 0;
    bool only_potentials = false;
    std::string material_path;       // the material file the catalogue was read from; empty for potentials only
    bool by_density = false;         // element materials matched by density rather than permittivity
    bool material_property = false;  // the element properties were written
    std::vector<efm::MaterialRecord> records;  // the material table written; empty for potentials only
    efm::ElementsPerByte elements_per_byte{};  // element material byte -> elements
    std::vector<std::string> notes;            // what the export did on the way that the user should know
    std::vector<std::string> warnings;         // what the user must know about the written file
};

}  // namespace brenwick

#endif
