// What one export writes, assembled from the parts of a readout: the blocks of the export file
// with the options applied, and the summary of them that the front ends show.
#ifndef BRENWICK_EXPORT_ASSEMBLY_H
#define BRENWICK_EXPORT_ASSEMBLY_H

#include "efm/writer.h"
#include "engine/engine_defaults.h"
#include "engine/export_summary.h"
#include "engine/materials/material_data.h"
#include "engine/project/field_data.h"
#include "engine/project/open_project.h"

#include <span>
#include <string>
#include <vector>

namespace brenwick {

// What an export was asked to write, and how its element materials were assigned.
struct ExportChoices {
    bool only_potentials = false;
    bool material_property = false;
    unsigned quantity = kQuantityPermittivity;
};

class ExportAssembly {
public:
    // The blocks point into the parts, which must outlive the assembly and stay unchanged.
    // Without `only_potentials` the mesh lines, the element materials and the catalogue go in,
    // the element properties too with `material_property`.
    ExportAssembly(const OpenProject& project, const FieldData& field, const MaterialData& material,
                   const ExportChoices& choices_);

    const efm::Blocks& Blocks() const { return blocks_; }
    // What the blocks hold and the warnings about them, for an export to `output_path`.
    ExportSummary Summary(const std::string& output_path) const;

private:
    std::string project_path_;
    ExportChoices choices_;
    std::string material_path_;
    std::vector<std::string> catalogue_warnings_;
    std::vector<efm::MaterialRecord> records_;
    efm::Blocks blocks_;
    std::span<const float> element_properties_;  // also when they are not written, for their warning
};

}  // namespace brenwick

#endif
