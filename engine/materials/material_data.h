// The material data of an open project: the material matrix, the element properties derived
// from it, the material catalogue and the material of every element. The matrix and the
// properties are kept for the quantity code they were read with, the catalogue while its file is
// the one it was read from; the element materials are assigned anew by every export.
#ifndef BRENWICK_MATERIAL_DATA_H
#define BRENWICK_MATERIAL_DATA_H

#include "engine/export_control.h"
#include "engine/log_sink.h"
#include "engine/project/open_project.h"
#include "engine/support/large_array.h"
#include "material_file.h"
#include "material_numbers.h"
#include "platform/file_state.h"

#include <memory>
#include <optional>
#include <span>
#include <stop_token>
#include <string>
#include <vector>

namespace brenwick {

class MaterialData {
public:
    // Drops the matrix and the element properties when they were read with another quantity code.
    void DiscardOtherQuantity(unsigned quantity);
    // Whether an export with `quantity` must read the matrix, and compute the element properties.
    bool NeedsMatrix(unsigned quantity) const { return !material_matrix_ || matrix_quantity_ != quantity; }
    bool NeedsProperties(unsigned quantity) const {
        return element_properties_.empty() || properties_quantity_ != quantity;
    }
    // Whether ComputeProperties reads the matrix a few planes at a time (material_planes.h): the
    // reader offers it and no matrix of `quantity` is at hand.
    bool StreamsMatrix(const ResultReader& reader, unsigned quantity) const;

    // Reads the matrix for `quantity` from the project unless a matrix is at hand (of whatever
    // code). Throws "Didn't found quantity <q> due to error <status> and skip it." when the reader
    // fails, keeping no matrix; a request to stop ends a monitored read with ExportCancelled.
    void LoadMatrix(OpenProject& project, unsigned quantity, const std::stop_token& stop, const WorkProgress& progress);
    // 3 * nodes values, x block, y block, z block; null until LoadMatrix succeeded.
    const float* Matrix() const { return material_matrix_.get(); }

    // Computes the property of every element from the matrix: plane by plane where StreamsMatrix
    // says so, else from the whole matrix, read first as LoadMatrix reads it. Both give the same
    // values. A quantity code above 3 gives every element 99999 and logs one line "unsupported
    // material! (quantity code <q>, <n> elements)". A failure leaves no properties.
    // `matrix_progress` follows the read of the whole matrix, `progress` the computation (with
    // the planes' reads, when the matrix streams).
    void ComputeProperties(OpenProject& project, unsigned quantity, const LogSink& log, const std::stop_token& stop,
                           const WorkProgress& matrix_progress, const WorkProgress& progress);

    // Drops everything read from the project, for a project that was opened again; the
    // catalogue stays.
    void DiscardProjectData();

    // Whether the catalogue must be read from `path`: it is empty, or was read from another path,
    // or its file was changed or replaced since.
    bool CatalogueOutdated(const std::string& path) const;
    // Reads the catalogue from the material file at `path` in place of the one held
    // (ReadMaterialFile), noting the file's state first.
    void ReadCatalogue(const std::string& path);
    // The path the catalogue was last read from.
    const std::string& CataloguePath() const { return catalogue_path_; }

    // Gives every element the byte of its nearest catalogue material (AssignMaterials). Refuses
    // first, as JudgeNumberTexts does, a catalogue whose matched values are no numbers as written.
    void Assign(unsigned quantity, const std::stop_token& stop, const WorkProgress& progress);
    // What the last assignment found wrong with the catalogue's numbers, one warning each.
    const std::vector<std::string>& CatalogueWarnings() const { return catalogue_warnings_; }

    // One value per element, in element order; empty until computed.
    std::span<const float> ElementProperties() const { return element_properties_; }
    // The catalogue in file order.
    const std::vector<Material>& Materials() const { return materials_; }
    // One byte per element, in element order, from the last assignment.
    std::span<const unsigned char> ElementMaterials() const { return element_materials_; }

private:
    LargeArray<float> material_matrix_;
    unsigned matrix_quantity_ = 0;  // the quantity code the matrix was read with
    LargeVector<float> element_properties_;
    unsigned properties_quantity_ = 0;  // the quantity code the properties were computed with
    std::vector<Material> materials_;
    std::vector<NumberText> number_texts_;
    std::string catalogue_path_;
    std::optional<FileState> catalogue_state_;  // of its file when it was read
    std::vector<std::string> catalogue_warnings_;
    LargeVector<unsigned char> element_materials_;
};

}  // namespace brenwick

#endif
