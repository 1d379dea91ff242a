// One material of the catalogue, and the reader and writer of the material file.
#ifndef BRENWICK_MATERIAL_FILE_H
#define BRENWICK_MATERIAL_FILE_H

#include "efm/format.h"

#include <string>
#include <vector>

struct Material {
    float ID = 0;       // elements refer to a material by this value; 0 means "no material"
    float eps = 0;      // relative permittivity, matched in permittivity mode
    float mue = 0;      // permeability, exported only
    float rho = 0;      // density, exported only
    float rho_set = 0;  // density as the project's density data show it, matched in density mode
    std::string description;
};

namespace brenwick {

struct NumberText;

// Appends the "Material" elements of the XML file at `path` to `materials`, in file order, and
// the number attributes among them whose text does not read as it looks to `number_texts`
// (material_numbers.h). Throws std::runtime_error when the file cannot be loaded as XML, and
// when the "Count" attribute of the root disagrees with the number of records in `materials`
// afterwards (the records read stay appended).
void ReadMaterialFile(const std::string& path, std::vector<Material>& materials, std::vector<NumberText>& number_texts);

// Writes the catalogue as a material file that ReadMaterialFile reads back exactly: root
// "Materials" with "Count", one "Material" child per record, each number in the shortest text
// that reads back as the same float, as every output of the program is written
// (output/output_file.h). Throws MaterialFileError naming the path when the file cannot be
// written.
void WriteMaterialFile(const std::string& path, const std::vector<Material>& materials);

// The records of the export file for a catalogue: every field but rho_set, in table order.
std::vector<efm::MaterialRecord> MaterialRecords(const std::vector<Material>& materials);

}  // namespace brenwick

#endif
