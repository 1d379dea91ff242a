#include "fake_reader.h"

#include <algorithm>
#include <cstring>

namespace fake_reader {
namespace {

struct State {
    Project project;
    std::vector<std::string> calls;
    std::string opened_path;
    int requested_quantity = -1;
    bool open = false;
    BrenwickReadMonitor monitor = nullptr;
    void* monitor_context = nullptr;
};

State& state() {
    static State s;
    return s;
}

// The scripted reader's functions, named from the engine's table of reader functions.
const brenwick::ReaderFunctions& Functions() { return Reader()->functions; }

// Logs a call of `function` under its name.
template <typename Function>
void record(const Function& function) {
    state().calls.emplace_back(function.Name());
}

const Result* find_result(const char* tree_path) {
    const auto& results = state().project.results;
    auto it = std::find_if(results.begin(), results.end(), [&](const Result& r) { return r.tree_path == tree_path; });
    return it == results.end() ? nullptr : &*it;
}

// One of the operations on a result: records it, then fails with the scripted status, or with
// status 4 when no result has the tree path, or hands the result to `use`.
template <typename Function, typename Use>
int OnResult(const Function& operation, int scripted_status, const char* tree_path, Use use) {
    record(operation);
    if (scripted_status != 0) return scripted_status;
    const Result* result = find_result(tree_path);
    if (result == nullptr) return 4;
    use(*result);
    return 0;
}

// Copies `from` into `to` in the project's number of slabs, as a monitored reader does; false
// when the monitor asked to stop.
bool CopyInSlabs(const std::vector<float>& from, float* to) {
    const State& s = state();
    const std::size_t total = from.size();
    const auto slabs = static_cast<std::size_t>(std::max(1, s.project.slabs));
    auto tell = [&](std::size_t done) {
        return s.monitor == nullptr || s.monitor(s.monitor_context, done, total) == 0;
    };
    if (!tell(0)) return false;
    for (std::size_t slab = 0; slab < slabs; ++slab) {
        const std::size_t first = total * slab / slabs, end = total * (slab + 1) / slabs;
        std::copy(from.begin() + static_cast<std::ptrdiff_t>(first), from.begin() + static_cast<std::ptrdiff_t>(end),
                  to + first);
        if (!tell(end)) return false;
    }
    return true;
}

}  // namespace

void Install(Project project) {
    state() = State{};
    state().project = std::move(project);
}

Project& Current() { return state().project; }
const std::vector<std::string>& Calls() { return state().calls; }
int CallCount(const std::string& operation) {
    return static_cast<int>(std::count(state().calls.begin(), state().calls.end(), operation));
}
const std::string& OpenedPath() { return state().opened_path; }
int RequestedQuantity() { return state().requested_quantity; }
bool ProjectOpen() { return state().open; }
bool Monitored() { return state().monitor != nullptr; }

namespace {

// The reader's functions, scripted by the installed project.
int GetDllVersion(int* version) {
    record(Functions().get_dll_version);
    *version = state().project.version;
    return 0;
}

int OpenProject(const char* path, CSTProjHandle* handle) {
    record(Functions().open_project);
    state().opened_path = path;
    if (state().project.open_status != 0) return state().project.open_status;
    handle->id = 7;
    state().open = true;
    return 0;
}

int GetHexMeshInfo(CSTProjHandle*, int* mesh_dims) {
    record(Functions().get_hex_mesh_info);
    if (state().project.mesh_info_status != 0) return state().project.mesh_info_status;
    std::copy(state().project.dims.begin(), state().project.dims.end(), mesh_dims);
    return 0;
}

int GetHexMesh(CSTProjHandle*, double* lines) {
    record(Functions().get_hex_mesh);
    if (state().project.mesh_status != 0) return state().project.mesh_status;
    std::copy(state().project.lines.begin(), state().project.lines.end(), lines);
    return 0;
}

int Get3DHexResultSize(CSTProjHandle*, const char* tree_path, int, int* count) {
    return OnResult(Functions().get_3d_hex_result_size, state().project.result_size_status, tree_path,
                    [&](const Result& result) { *count = static_cast<int>(result.values.size()); });
}

int Get3DHexResultInfo(CSTProjHandle*, const char* tree_path, int, int, int, int, int* field_type, int) {
    return OnResult(Functions().get_3d_hex_result_info, state().project.result_info_status, tree_path,
                    [&](const Result& result) { *field_type = result.field_type; });
}

int Get3DHexResult(CSTProjHandle*, const char* tree_path, int, float* values) {
    bool stopped = false;
    const int status = OnResult(Functions().get_3d_hex_result, state().project.result_status, tree_path,
                                [&](const Result& result) { stopped = !CopyInSlabs(result.values, values); });
    return stopped ? BRENWICK_READER_STOPPED : status;
}

int GetMaterialMatrixHexMesh(CSTProjHandle*, int quantity, float* matrix) {
    record(Functions().get_material_matrix_hex_mesh);
    state().requested_quantity = quantity;
    if (state().project.matrix_status != 0) return state().project.matrix_status;
    auto it = state().project.matrices.find(quantity);
    if (it == state().project.matrices.end()) return 6;
    return CopyInSlabs(it->second, matrix) ? 0 : BRENWICK_READER_STOPPED;
}

// The planes' x components, then their y and z components, cut from the whole matrix.
int GetMaterialMatrixPlanes(CSTProjHandle*, int quantity, int first_plane, int plane_count, float* matrix) {
    record(Functions().get_material_matrix_planes);
    state().requested_quantity = quantity;
    const Project& project = state().project;
    if (project.matrix_status != 0 && first_plane + plane_count > project.failing_plane) return project.matrix_status;
    auto it = project.matrices.find(quantity);
    if (it == project.matrices.end()) return 6;
    const auto plane = static_cast<std::size_t>(project.dims[0]) * static_cast<std::size_t>(project.dims[1]);
    const std::size_t nodes = plane * static_cast<std::size_t>(project.dims[2]);
    const auto first = static_cast<std::ptrdiff_t>(plane * static_cast<std::size_t>(first_plane));
    const auto count = static_cast<std::ptrdiff_t>(plane * static_cast<std::size_t>(plane_count));
    std::vector<float> planes;
    for (std::size_t component = 0; component < 3; ++component) {
        const auto block = it->second.begin() + static_cast<std::ptrdiff_t>(component * nodes);
        planes.insert(planes.end(), block + first, block + first + count);
    }
    return CopyInSlabs(planes, matrix) ? 0 : BRENWICK_READER_STOPPED;
}

int CloseProject(CSTProjHandle*) {
    record(Functions().close_project);
    if (state().project.close_status != 0) return state().project.close_status;
    state().open = false;
    return 0;
}

int SetReadMonitor(CSTProjHandle*, BrenwickReadMonitor monitor, void* context) {
    state().monitor = monitor;
    state().monitor_context = context;
    return 0;
}

}  // namespace

namespace {

std::shared_ptr<const brenwick::ResultReader> ScriptedReader(bool plane_reads) {
    auto scripted = std::make_shared<brenwick::ResultReader>();
    scripted->name = "scripted";
    scripted->functions = brenwick::NamedReaderFunctions(
        {GetDllVersion, OpenProject, GetHexMeshInfo, GetHexMesh, Get3DHexResultSize, Get3DHexResultInfo, Get3DHexResult,
         GetMaterialMatrixHexMesh, CloseProject, SetReadMonitor, plane_reads ? GetMaterialMatrixPlanes : nullptr});
    // Its writes are known: it fills exactly the values it reports, as the built-in reader does.
    scripted->writes_known = true;
    return scripted;
}

}  // namespace

std::shared_ptr<const brenwick::ResultReader> Reader() {
    static const std::shared_ptr<const brenwick::ResultReader> whole = ScriptedReader(false);
    static const std::shared_ptr<const brenwick::ResultReader> planes = ScriptedReader(true);
    return state().project.plane_reads ? planes : whole;
}

}  // namespace fake_reader
