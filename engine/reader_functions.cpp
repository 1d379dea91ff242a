#include "reader_functions.h"

namespace brenwick {

std::shared_ptr<const ResultReader> LinkedReader() {
    static const std::shared_ptr<const ResultReader> linked = [] {
        auto reader = std::make_shared<ResultReader>();
        reader->name = "built-in";
        reader->functions = {{"CST_GetDLLVersion", CST_GetDLLVersion},
                             {"CST_OpenProject", CST_OpenProject},
                             {"CST_GetHexMeshInfo", CST_GetHexMeshInfo},
                             {"CST_GetHexMesh", CST_GetHexMesh},
                             {"CST_Get3DHexResultSize", CST_Get3DHexResultSize},
                             {"CST_Get3DHexResultInfo", CST_Get3DHexResultInfo},
                             {"CST_Get3DHexResult", CST_Get3DHexResult},
                             {"CST_GetMaterialMatrixHexMesh", CST_GetMaterialMatrixHexMesh},
                             {"CST_CloseProject", CST_CloseProject},
                             {"Brenwick_SetReadMonitor", Brenwick_SetReadMonitor}};
        reader->writes_known = true;
        return reader;
    }();
    return linked;
}

int ReaderVersion(const ResultReader& reader) {
    int version = 0;
    reader.functions.get_dll_version(&version);  // as the engine does, the status is not examined
    return version;
}

std::string DescribeReader(const ResultReader& reader) {
    const std::string who = reader.library ? "result reader " + reader.name : "built-in result reader";
    return who + ", version " + std::to_string(ReaderVersion(reader));
}

}  // namespace brenwick
