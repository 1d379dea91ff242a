#include "material_data.h"

#include "efm/grid.h"
#include "element_properties.h"
#include "engine/engine_error.h"
#include "engine/materials/material_planes.h"
#include "engine/project/mesh_geometry.h"
#include "engine/reader/read_monitor.h"
#include "engine/reader/reader_functions.h"
#include "engine/support/large_array.h"
#include "material_assignment.h"

#include <algorithm>
#include <string>

namespace brenwick {

void MaterialData::DiscardOtherQuantity(unsigned quantity) {
    if (material_matrix_ && matrix_quantity_ != quantity) material_matrix_.reset();
    if (properties_quantity_ != quantity) element_properties_.clear();
}

bool MaterialData::StreamsMatrix(const ResultReader& reader, unsigned quantity) const {
    return ReadsMaterialPlanes(reader) && NeedsMatrix(quantity);
}

void MaterialData::LoadMatrix(OpenProject& project, unsigned quantity, const std::stop_token& stop,
                              const WorkProgress& progress) {
    if (material_matrix_) return;
    const ResultReader& reader = project.Reader();
    const std::size_t node_count = efm::NodeCount(project.Dims());
    auto matrix = MakeLargeArray<float>({"the material matrix", node_count, 3});
    if (!reader.writes_known) std::fill_n(matrix.get(), 3 * node_count, kUnwritten);
    int reader_status = 0;
    {
        const ReadMonitor monitor(reader, project.Handle(), stop, progress);
        reader_status =
            reader.functions.get_material_matrix_hex_mesh(&project.Handle(), static_cast<int>(quantity), matrix.get());
    }
    if (reader_status != 0) FailMaterialMatrix(quantity, reader_status, stop);
    material_matrix_ = std::move(matrix);
    matrix_quantity_ = quantity;
}

void MaterialData::ComputeProperties(OpenProject& project, unsigned quantity, const LogSink& log,
                                     const std::stop_token& stop, const WorkProgress& matrix_progress,
                                     const WorkProgress& progress) {
    const std::size_t element_count = efm::ElementCount(project.Dims());
    element_properties_.clear();
    try {
        ResizeLargeArray(element_properties_, {"the element properties", element_count});
        properties_quantity_ = quantity;
        if (element_count == 0) return;
        // One line for the whole mesh: a line per element would flood the log of a large export.
        if (!SupportedQuantity(quantity)) {
            log("unsupported material! (quantity code " + std::to_string(quantity) + ", " +
                std::to_string(element_count) + " elements)");
        }
        if (StreamsMatrix(project.Reader(), quantity)) {
            ComputePropertiesByPlanes(project, quantity, element_properties_.data(), stop, progress);
            return;
        }
        LoadMatrix(project, quantity, stop, matrix_progress);
        ComputeElementProperties(material_matrix_.get(), project.Dims(), project.Lines(), quantity,
                                 element_properties_.data(), stop, progress);
    } catch (...) {
        element_properties_.clear();  // so that the next export computes them again
        throw;
    }
}

void MaterialData::DiscardProjectData() {
    material_matrix_.reset();
    element_properties_.clear();
    element_materials_.clear();
}

bool MaterialData::CatalogueOutdated(const std::string& path) const {
    return materials_.empty() || path != catalogue_path_ || FileStateOf(path) != catalogue_state_;
}

void MaterialData::ReadCatalogue(const std::string& path) {
    materials_.clear();
    number_texts_.clear();
    catalogue_path_ = path;
    // Taken before the file is read, so that a change during the read is a change next time.
    catalogue_state_ = FileStateOf(path);
    ReadMaterialFile(path, materials_, number_texts_);
}

void MaterialData::Assign(unsigned quantity, const std::stop_token& stop, const WorkProgress& progress) {
    catalogue_warnings_ = JudgeNumberTexts(number_texts_, materials_, catalogue_path_, quantity);
    ResizeLargeArray(element_materials_, {"the element materials", element_properties_.size()});
    AssignMaterials(element_properties_, materials_, quantity, element_materials_, stop, progress);
}

}  // namespace brenwick
