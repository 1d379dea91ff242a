#include "reader_library.h"

#include "engine/engine_error.h"
#include "platform/utf8_path.h"
#include "shared_library.h"

#include <cstdlib>
#include <filesystem>
#include <stdexcept>
#include <system_error>

namespace brenwick {

namespace {

[[noreturn]] void Fail(const std::string& path, const std::string& reason) {
    throw ReaderError("The result reader library " + path + " " + reason);
}

// Takes the function `name` into `slot` where the library offers it; leaves `slot` empty otherwise.
template <typename Function>
void BindOptional(const SharedLibrary& library, const char* name, Function& slot) {
    if (void* symbol = library.Symbol(name))
        slot = Function(name, reinterpret_cast<typename Function::Pointer>(symbol));
}

// Takes the function `name` from the library into `slot`.
template <typename Function>
void Bind(const SharedLibrary& library, const std::string& path, const char* name, Function& slot) {
    BindOptional(library, name, slot);
    if (!slot) Fail(path, std::string("lacks the function ") + name + ".");
}

// The library BRENWICK_READER names; empty when it names none. On Windows read from the wide
// environment, so that a path outside the ANSI code page arrives whole.
std::string ReaderFromEnvironment() {
#if defined(_WIN32)
    const std::string name(kReaderVariable);
    const wchar_t* value = _wgetenv(std::wstring(name.begin(), name.end()).c_str());
    return value != nullptr ? TextFromPath(std::filesystem::path(value)) : std::string();
#else
    const char* value = std::getenv(kReaderVariable);
    return value != nullptr ? value : std::string();
#endif
}

}  // namespace

std::shared_ptr<const ResultReader> LoadReaderLibrary(const std::string& path) {
    std::error_code error;
    const std::filesystem::path file = PathFromText(path);
    if (!std::filesystem::exists(file, error)) Fail(path, "does not exist.");
    // An absolute path, so that the loader takes this file and does not search its own paths.
    std::shared_ptr<const SharedLibrary> library;
    try {
        library = std::make_shared<const SharedLibrary>(std::filesystem::absolute(file));
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
    BindOptional(*library, "Brenwick_SetReadMonitor", f.set_read_monitor);
    BindOptional(*library, "Brenwick_GetMaterialMatrixPlanes", f.get_material_matrix_planes);
    reader->library = std::move(library);
    return reader;
}

std::shared_ptr<const ResultReader> ChooseReader(const std::optional<std::string>& option) {
    if (option) return LoadReaderLibrary(*option);
    const std::string variable = ReaderFromEnvironment();
    if (!variable.empty()) return LoadReaderLibrary(variable);
    return LinkedReader();
}

}  // namespace brenwick
