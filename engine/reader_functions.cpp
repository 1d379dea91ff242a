#include "reader_functions.h"

namespace brenwick {

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
