#include "fake_reader.h"

#include "engine/result_reader.h"

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

int record(const char* operation) {
    state().calls.emplace_back(operation);
    return 0;
}

const Result* find_result(const char* tree_path) {
    const auto& results = state().project.results;
    auto it = std::find_if(results.begin(), results.end(),
                           [&](const Result& r) { return r.tree_path == tree_path; });
    return it == results.end() ? nullptr : &*it;
}

// One of the operations on a result: records it, then fails with the scripted status, or with
// status 4 when no result has the tree path, or hands the result to `use`.
template <typename Use>
int OnResult(const char* operation, int scripted_status, const char* tree_path, Use use) {
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

constexpr int kStopped = 9;

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

}  // namespace fake_reader

using fake_reader::state;

extern "C" {

int CST_GetDLLVersion(int* version) {
    fake_reader::record("CST_GetDLLVersion");
    *version = state().project.version;
    return 0;
}

int CST_OpenProject(const char* path, CSTProjHandle* handle) {
    fake_reader::record("CST_OpenProject");
    state().opened_path = path;
    if (state().project.open_status != 0) return state().project.open_status;
    handle->id = 7;
    state().open = true;
    return 0;
}

int CST_GetHexMeshInfo(CSTProjHandle*, int* mesh_dims) {
    fake_reader::record("CST_GetHexMeshInfo");
    if (state().project.mesh_info_status != 0) return state().project.mesh_info_status;
    std::copy(state().project.dims.begin(), state().project.dims.end(), mesh_dims);
    return 0;
}

int CST_GetHexMesh(CSTProjHandle*, double* lines) {
    fake_reader::record("CST_GetHexMesh");
    if (state().project.mesh_status != 0) return state().project.mesh_status;
    std::copy(state().project.lines.begin(), state().project.lines.end(), lines);
    return 0;
}

int CST_Get3DHexResultSize(CSTProjHandle*, const char* tree_path, int, int* count) {
    return fake_reader::OnResult("CST_Get3DHexResultSize", state().project.result_size_status, tree_path,
                                 [&](const fake_reader::Result& result) { *count = static_cast<int>(result.values.size()); });
}

int CST_Get3DHexResultInfo(CSTProjHandle*, const char* tree_path, int, int, int, int, int* field_type, int) {
    return fake_reader::OnResult("CST_Get3DHexResultInfo", state().project.result_info_status, tree_path,
                                 [&](const fake_reader::Result& result) { *field_type = result.field_type; });
}

int CST_Get3DHexResult(CSTProjHandle*, const char* tree_path, int, float* values) {
    bool stopped = false;
    const int status = fake_reader::OnResult(
        "CST_Get3DHexResult", state().project.result_status, tree_path,
        [&](const fake_reader::Result& result) { stopped = !fake_reader::CopyInSlabs(result.values, values); });
    return stopped ? fake_reader::kStopped : status;
}

int CST_GetMaterialMatrixHexMesh(CSTProjHandle*, int quantity, float* matrix) {
    fake_reader::record("CST_GetMaterialMatrixHexMesh");
    state().requested_quantity = quantity;
    if (state().project.matrix_status != 0) return state().project.matrix_status;
    auto it = state().project.matrices.find(quantity);
    if (it == state().project.matrices.end()) return 6;
    return fake_reader::CopyInSlabs(it->second, matrix) ? 0 : fake_reader::kStopped;
}

int CST_CloseProject(CSTProjHandle*) {
    fake_reader::record("CST_CloseProject");
    if (state().project.close_status != 0) return state().project.close_status;
    state().open = false;
    return 0;
}

int Brenwick_SetReadMonitor(CSTProjHandle*, BrenwickReadMonitor monitor, void* context) {
    state().monitor = monitor;
    state().monitor_context = context;
    return 0;
}

}  // extern "C"
