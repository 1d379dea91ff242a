#include "reader_library.h"

#include "shared_library.h"

#include <cstdlib>
#include <filesystem>
#include <stdexcept>
#include <system_error>

namespace brenwick {

namespace {

[[noreturn]] void Fail(const std::string& path, const std::string& reason) {
    throw std::runtime_error("The result reader library " + path + " " + reason);
}

// Takes the function `name` from the library into `slot`.
template <typename Function>
void Bind(const SharedLibrary& library, const std::string& path, const char* name, Function& slot) {
    void* symbol = library.Symbol(name);
    if (symbol == nullptr) Fail(path, std::string("lacks the function ") + name + ".");
    slot = Function(name, reinterpret_cast<typename Function::Pointer>(symbol));
}

}  // namespace

std::shared_ptr<const ResultReader> LoadReaderLibrary(const std::string& path) {
    std::error_code error;
    if (!std::filesystem::exists(path, error)) Fail(path, "does not exist.");
    // An absolute path, so that the loader takes this file and does not search its own paths.
    std::shared_ptr<const SharedLibrary> library;
    try {
        library = std::make_shared<const SharedLibrary>(std::filesystem::absolute(path));
    } catch (const std::runtime_error& loader) {
        Fail(path, std::string("cannot be loaded: ") + loader.what());
    }
    auto reader = std::make_shared<ResultReader>();
    reader->name = path;
    ReaderFunctions& f = reader->functions;
    Bind(*library, path, "CST_GetDLLVersion", f.get_dll_version);
    Bind(*library, path, "CST_OpenProject", f.open_project);
    Bind(*library, path, "CST_GetHexMeshInfo", f.get_hex_mesh_info);
    Bind(*library, path, "CST_GetHexMesh", f.get_hex_mesh);
    Bind(*library, path, "CST_Get3DHexResultSize", f.get_3d_hex_result_size);
    Bind(*library, path, "CST_Get3DHexResultInfo", f.get_3d_hex_result_info);
    Bind(*library, path, "CST_Get3DHexResult", f.get_3d_hex_result);
    Bind(*library, path, "CST_GetMaterialMatrixHexMesh", f.get_material_matrix_hex_mesh);
    Bind(*library, path, "CST_CloseProject", f.close_project);
    if (void* monitor = library->Symbol("Brenwick_SetReadMonitor")) {
        f.set_read_monitor = {"Brenwick_SetReadMonitor", reinterpret_cast<decltype(&Brenwick_SetReadMonitor)>(monitor)};
    }
    reader->library = std::move(library);
    return reader;
}

std::shared_ptr<const ResultReader> ChooseReader(const std::optional<std::string>& option) {
    if (option) return LoadReaderLibrary(*option);
    const char* variable = std::getenv(kReaderVariable);
    if (variable != nullptr && *variable != '\0') return LoadReaderLibrary(variable);
    return LinkedReader();
}

}  // namespace brenwick
