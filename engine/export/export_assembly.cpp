#include "export_assembly.h"

#include "efm/garfield_limits.h"
#include "efm/grid.h"
#include "engine/project/grid.h"
#include "value_checks.h"

namespace brenwick {

ExportAssembly::ExportAssembly(const OpenProject& project, const FieldData& field, const MaterialData& material,
                               const ExportChoices& choices_in)
    : project_path(project.Path()), choices(choices_in) {
    const MeshLines lines = project.Lines();
    blocks.mesh_dims = project.Dims();
    blocks.x_lines = lines.x;
    blocks.y_lines = lines.y;
    blocks.z_lines = lines.z;
    blocks.node_values = field.Values();
    if (choices.only_potentials) {
        blocks = efm::PotentialsOnly(blocks);
        return;
    }
    material_path = material.CataloguePath();
    catalogue_warnings = material.CatalogueWarnings();
    if (choices.material_property) blocks.element_properties = material.ElementProperties();
    blocks.element_materials = material.ElementMaterials();
    records = MaterialRecords(material.Materials());
    blocks.materials = records;
    element_properties = material.ElementProperties();
}

ExportSummary ExportAssembly::Summary(const std::string& output_path) const {
    ExportSummary summary;
    summary.project_path = project_path;
    summary.output_path = output_path;
    summary.file_size = efm::FileSize(blocks);
    summary.nodes = efm::NodeCount(blocks.mesh_dims);
    summary.elements = efm::ElementCount(blocks.mesh_dims);
    summary.only_potentials = choices.only_potentials;
    summary.material_path = material_path;
    summary.by_density = !choices.only_potentials && choices.quantity != kQuantityPermittivity;
    summary.material_property = !choices.only_potentials && choices.material_property;
    summary.records.assign(blocks.materials.begin(), blocks.materials.end());
    efm::CountElements(blocks.element_materials, summary.elements_per_byte);

    summary.warnings = catalogue_warnings;
    if (auto warning = NonFiniteNodeWarning(blocks.node_values, blocks.mesh_dims)) summary.warnings.push_back(*warning);
    if (!summary.only_potentials) {
        if (auto warning = NonFiniteElementWarning(element_properties, blocks.mesh_dims)) {
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
