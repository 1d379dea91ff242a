// A result reader as the engine uses it: the addresses of its nine operations, wherever they
// come from, and what keeps them usable.
#ifndef BRENWICK_READER_FUNCTIONS_H
#define BRENWICK_READER_FUNCTIONS_H

#include "reader_call.h"
#include "reader_contract/result_reader.h"

#include <limits>
#include <memory>
#include <string>

namespace brenwick {

// A reader may keep an address in the handle.
static_assert(sizeof(CSTProjHandle) >= 8 && alignof(CSTProjHandle) >= alignof(void*));

// The nine functions of a reader and the optional ones; each call marks its function
// as running (reader_call.h).
struct ReaderFunctions {
    ReaderFunction<decltype(&CST_GetDLLVersion)> get_dll_version;
    ReaderFunction<decltype(&CST_OpenProject)> open_project;
    ReaderFunction<decltype(&CST_GetHexMeshInfo)> get_hex_mesh_info;
    ReaderFunction<decltype(&CST_GetHexMesh)> get_hex_mesh;
    ReaderFunction<decltype(&CST_Get3DHexResultSize)> get_3d_hex_result_size;
    ReaderFunction<decltype(&CST_Get3DHexResultInfo)> get_3d_hex_result_info;
    ReaderFunction<decltype(&CST_Get3DHexResult)> get_3d_hex_result;
    ReaderFunction<decltype(&CST_GetMaterialMatrixHexMesh)> get_material_matrix_hex_mesh;
    ReaderFunction<decltype(&CST_CloseProject)> close_project;
    // Optional: empty for a reader that does not offer it.
    ReaderFunction<decltype(&Brenwick_SetReadMonitor)> set_read_monitor;
    // Optional: empty for a reader that reads the material matrix only whole.
    ReaderFunction<decltype(&Brenwick_GetMaterialMatrixPlanes)> get_material_matrix_planes;
};

// Whether a reader must offer a function.
enum class ReaderOffer { kRequired, kOptional };

// The one table of the reader's functions: calls visit(name, slot, offer) for every member of
// `functions` (a ReaderFunctions, const or not), in the order of the contract, with the name
// under which a reader exports it. Every reader, loaded, linked or scripted, is bound through it.
template <typename Functions, typename Visit>
void ForEachReaderFunction(Functions& functions, Visit&& visit) {
    visit("CST_GetDLLVersion", functions.get_dll_version, ReaderOffer::kRequired);
    visit("CST_OpenProject", functions.open_project, ReaderOffer::kRequired);
    visit("CST_GetHexMeshInfo", functions.get_hex_mesh_info, ReaderOffer::kRequired);
    visit("CST_GetHexMesh", functions.get_hex_mesh, ReaderOffer::kRequired);
    visit("CST_Get3DHexResultSize", functions.get_3d_hex_result_size, ReaderOffer::kRequired);
    visit("CST_Get3DHexResultInfo", functions.get_3d_hex_result_info, ReaderOffer::kRequired);
    visit("CST_Get3DHexResult", functions.get_3d_hex_result, ReaderOffer::kRequired);
    visit("CST_GetMaterialMatrixHexMesh", functions.get_material_matrix_hex_mesh, ReaderOffer::kRequired);
    visit("CST_CloseProject", functions.close_project, ReaderOffer::kRequired);
    visit("Brenwick_SetReadMonitor", functions.set_read_monitor, ReaderOffer::kOptional);
    visit("Brenwick_GetMaterialMatrixPlanes", functions.get_material_matrix_planes, ReaderOffer::kOptional);
}

// `functions`, given as addresses linked into the program, each under its name from the table.
ReaderFunctions NamedReaderFunctions(ReaderFunctions functions);

struct ResultReader {
    // "built-in" for the reader linked into the program, else the library's path.
    std::string name;
    ReaderFunctions functions;
    // Whether the project knows what the reader writes into the arrays it is given: only then
    // may the engine let it fill the potential directly instead of a buffer of six times the
    // count, and take its arrays without filling them with NaN first, which makes what another
    // reader leaves unwritten the same in every run and warned about as no number.
    bool writes_known = false;
    // Keeps a loaded library mapped for as long as anything uses its functions.
    std::shared_ptr<const void> library;
};

// What the engine fills an array with before a reader whose writes are not known fills it.
inline constexpr float kUnwritten = std::numeric_limits<float>::quiet_NaN();

// The reader whose functions are linked into the program: the built-in one, or in tests a
// scripted stand-in.
std::shared_ptr<const ResultReader> LinkedReader();

// The version the reader reports (0 when it reports none), and a line naming the reader and
// that version, as --version and the About box show it.
int ReaderVersion(const ResultReader& reader);
std::string DescribeReader(const ResultReader& reader);

// What a reader said with the failing `status`, to follow "the reader" in a message: the
// contract's words for it ("could not open the project (status 1)"), or `otherwise` for a
// status of the reader's own.
std::string ReaderStatusWords(int status, const std::string& otherwise);

}  // namespace brenwick

#endif
