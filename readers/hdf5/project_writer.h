// Writes project files in the format the built-in reader reads (docs/project-format.md).
// Used by `brenwick-cli make-project`, the tests and the benchmarks.
#ifndef BRENWICK_PROJECT_WRITER_H
#define BRENWICK_PROJECT_WRITER_H

#include "reader_contract/result_reader.h"

#include <map>
#include <string>
#include <vector>

namespace brenwick {

struct ProjectResult {
    std::string dataset_name;                     // name below /results; any valid HDF5 name
    std::string tree_path;                        // e.g. "2D/3D Results\\Potentials"
    int field_type = BRENWICK_REAL_SCALAR_FIELD;  // a field type code (reader_contract/result_reader.h)
    std::vector<float> values;
};

struct ProjectContents {
    std::vector<double> x_lines, y_lines, z_lines;
    std::vector<ProjectResult> results;
    // quantity code -> 3*nx*ny*nz values (x block, y block, z block, each in node order)
    std::map<int, std::vector<float>> material_matrices;
};

// Creates (or replaces) the project file at path as every output of the program is written
// (output/output_file.h): an existing file is replaced through a temporary file and keeps its
// bytes when the writing fails. Throws std::runtime_error naming the path on failure.
void WriteProjectFile(const std::string& path, const ProjectContents& contents);

}  // namespace brenwick

#endif
