// A scripted stand-in for the result reader, which tests hand to the engine through
// ReadoutContext::reader. A test describes the project it wants (mesh, results, matrices) and
// which operation shall fail with which status; the fake records every call it receives.
#ifndef BRENWICK_TESTS_FAKE_READER_H
#define BRENWICK_TESTS_FAKE_READER_H

#include "engine/reader/reader_functions.h"
#include "reader_contract/result_reader.h"

#include <array>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace fake_reader {

struct Result {
    std::string tree_path;
    int field_type = BRENWICK_REAL_SCALAR_FIELD;
    std::vector<float> values;  // all stored values; the reported count is their number
};

struct Project {
    int version = 2024;
    std::array<int, 3> dims{2, 2, 2};
    std::vector<double> lines{0, 1, 0, 1, 0, 1};  // x lines, then y, then z
    std::vector<Result> results;
    std::map<int, std::vector<float>> matrices;  // quantity code -> 3*N values

    // Non-zero: the named operation returns this status.
    int open_status = 0;
    int mesh_info_status = 0;
    int mesh_status = 0;
    int result_size_status = 0;
    int result_info_status = 0;
    int result_status = 0;
    int matrix_status = 0;
    int close_status = 0;

    // Reads of a result or a matrix fill the array in this many slabs, telling the read
    // monitor (when one is set) before the first and after each; a monitor that asks to stop
    // ends the read with BRENWICK_READER_STOPPED after the slab it was told of.
    int slabs = 1;

    // Whether Reader() offers the optional plane reads of the material matrix, which fail
    // with matrix_status like the whole read, those from failing_plane on only.
    bool plane_reads = false;
    int failing_plane = 0;
};

// The scripted reader, for ReadoutContext::reader: with or without the plane reads, as the
// installed project asks. Like the built-in reader it fills exactly the values it reports
// (ResultReader::writes_known).
std::shared_ptr<const brenwick::ResultReader> Reader();

// Installs the project that the next CST_OpenProject opens and clears the call log.
void Install(Project project);
// The installed project; tests may change it between calls.
Project& Current();
// Every operation received, in order, as its name ("CST_OpenProject", ...; the plane reads as
// "Brenwick_GetMaterialMatrixPlanes").
const std::vector<std::string>& Calls();
// Number of calls of one operation.
int CallCount(const std::string& operation);
// The path the last CST_OpenProject received.
const std::string& OpenedPath();
// Whether a project is open (opened and not yet closed successfully).
bool ProjectOpen();
// The quantity code the last CST_GetMaterialMatrixHexMesh received.
int RequestedQuantity();
// Whether a read monitor is set.
bool Monitored();

}  // namespace fake_reader

#endif
