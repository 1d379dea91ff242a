// What one export writes, assembled from the parts of a readout: the blocks of the export file
// with the options applied, and the summary of them that the front ends show.
#ifndef BRENWICK_EXPORT_ASSEMBLY_H
#define BRENWICK_EXPORT_ASSEMBLY_H

#include "efm/writer.h"
#include "export_summary.h"
#include "field_data.h"
#include "material_data.h"
#include "open_project.h"

#include <span>
#include <string>
#include <vector>

namespace brenwick {

class ExportAssembly {
public:
    // The blocks point into the parts, which must outlive the assembly and stay unchanged.
    // Without `write_only_potentials` the mesh lines, the element materials and the catalogue
    // go in, the element properties too with `write_material_property`.
    ExportAssembly(const OpenProject& project, const FieldData& field, const MaterialData& material,
                   bool write_only_potentials, bool write_material_property);

    const efm::Blocks& Blocks() const { return blocks; }
    // What the blocks hold and the warnings about them, for an export to `output_path`.
    ExportSummary Summary(const std::string& output_path) const;

private:
    std::string project_path;
    std::vector<efm::MaterialRecord> records;
    efm::Blocks blocks;
    std::span<const float> element_properties;  // also when they are not written, for their warning
};

}  // namespace brenwick

#endif
