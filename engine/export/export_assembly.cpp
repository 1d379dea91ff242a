#include "export_assembly.h"

#include "efm/garfield_limits.h"
#include "efm/grid.h"
#include "engine/project/mesh_geometry.h"
#include "engine/support/parallel.h"
#include "value_checks.h"

#include <mutex>

namespace brenwick {

namespace {

// The elements of each material byte, the threads counting a part each.
efm::ElementsPerByte CountElements(std::span<const unsigned char> element_materials) {
    efm::ElementsPerByte counts{};
    std::mutex merging;
    ParallelFor(element_materials.size(), [&](std::size_t begin, std::size_t end) {
        efm::ElementsPerByte part{};
        efm::CountElements(element_materials.subspan(begin, end - begin), part);
        const std::lock_guard lock(merging);
        for (std::size_t byte = 0; byte < counts.size(); ++byte) counts[byte] += part[byte];
    });
    return counts;
}

}  // namespace

ExportAssembly::ExportAssembly(const OpenProject& project, const FieldData& field, const MaterialData& material,
                               const ExportChoices& choices)
    : project_path_(project.Path()), choices_(choices) {
    const AxisLines lines = project.Lines();
    blocks_.mesh_dims = project.Dims();
    blocks_.x_lines = lines.x;
    blocks_.y_lines = lines.y;
    blocks_.z_lines = lines.z;
    blocks_.node_values = field.Values();
    if (choices_.only_potentials) {
        blocks_ = efm::PotentialsOnly(blocks_);
        return;
    }
    material_path_ = material.CataloguePath();
    catalogue_warnings_ = material.CatalogueWarnings();
    if (choices_.material_property) blocks_.element_properties = material.ElementProperties();
    blocks_.element_materials = material.ElementMaterials();
    records_ = MaterialRecords(material.Materials());
    blocks_.materials = records_;
    element_properties_ = material.ElementProperties();
}

ExportSummary ExportAssembly::Summary(const std::string& output_path) const {
    ExportSummary summary;
    summary.project_path = project_path_;
    summary.output_path = output_path;
    summary.file_size = efm::FileSize(blocks_);
    summary.nodes = efm::NodeCount(blocks_.mesh_dims);
    summary.elements = efm::ElementCount(blocks_.mesh_dims);
    summary.only_potentials = choices_.only_potentials;
    summary.material_path = material_path_;
    summary.by_density = !choices_.only_potentials && choices_.quantity != kQuantityPermittivity;
    summary.material_property = !choices_.only_potentials && choices_.material_property;
    summary.records.assign(blocks_.materials.begin(), blocks_.materials.end());
    summary.elements_per_byte = CountElements(blocks_.element_materials);

    summary.warnings = catalogue_warnings_;
    if (auto warning = NonFiniteNodeWarning(blocks_.node_values, blocks_.mesh_dims))
        summary.warnings.push_back(*warning);
    if (!summary.only_potentials) {
        if (auto warning = NonFiniteElementWarning(element_properties_, blocks_.mesh_dims)) {
            summary.warnings.push_back(*warning);
        }
    }
    efm::MapFacts facts;
    facts.file_size = summary.file_size;
    facts.has_element_materials = !summary.only_potentials;
    facts.records = summary.records;
    facts.elements_per_byte = summary.elements_per_byte;
    const std::vector<std::string> garfield = efm::GarfieldWarnings(facts);
    summary.warnings.insert(summary.warnings.end(), garfield.begin(), garfield.end());
    return summary;
}

}  // namespace brenwick
