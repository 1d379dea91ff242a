#include "reader_functions.h"

namespace brenwick {

ReaderFunctions NamedReaderFunctions(ReaderFunctions functions) {
    ForEachReaderFunction(functions, [](const char* name, auto& slot, ReaderOffer) { slot = slot.Named(name); });
    return functions;
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

std::string ReaderStatusWords(int status, const std::string& otherwise) {
    const char* words = BrenwickReaderStatusText(status);
    return (words != nullptr ? std::string(words) : otherwise) + " (status " + std::to_string(status) + ")";
}

}  // namespace brenwick
