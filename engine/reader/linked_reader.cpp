// LinkedReader: the built-in reader, whose nine functions are linked into the program.
#include "reader_functions.h"

namespace brenwick {

std::shared_ptr<const ResultReader> LinkedReader() {
    static const std::shared_ptr<const ResultReader> linked = [] {
        auto reader = std::make_shared<ResultReader>();
        reader->name = "built-in";
        reader->functions = NamedReaderFunctions({CST_GetDLLVersion, CST_OpenProject, CST_GetHexMeshInfo,
                                                  CST_GetHexMesh, CST_Get3DHexResultSize, CST_Get3DHexResultInfo,
                                                  CST_Get3DHexResult, CST_GetMaterialMatrixHexMesh, CST_CloseProject,
                                                  Brenwick_SetReadMonitor, Brenwick_GetMaterialMatrixPlanes});
        reader->writes_known = true;
        return reader;
    }();
    return linked;
}

}  // namespace brenwick
