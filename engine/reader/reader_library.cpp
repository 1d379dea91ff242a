#include "reader_library.h"

#include "engine/engine_error.h"
#include "platform/utf8_path.h"
#include "shared_library.h"

#include <cstdlib>
#include <filesystem>
#include <system_error>
#include <type_traits>

namespace brenwick {

namespace {

[[noreturn]] void Fail(const std::string& path, const std::string& reason) {
    throw ReaderError("The result reader library " + path + " " + reason);
}

// Takes every function of the table from the library; a required one it lacks fails the load.
ReaderFunctions BoundFunctions(const SharedLibrary& library, const std::string& path) {
    ReaderFunctions functions;
    ForEachReaderFunction(functions, [&](const char* name, auto& slot, ReaderOffer offer) {
        using Function = std::remove_reference_t<decltype(slot)>;
        void* symbol = library.Symbol(name);
        if (symbol == nullptr && offer == ReaderOffer::kRequired) {
            Fail(path, std::string("lacks the function ") + name + ".");
        }
        if (symbol != nullptr) slot = Function(reinterpret_cast<typename Function::Pointer>(symbol)).Named(name);
    });
    return functions;
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
    } catch (const ReaderError& loader) {
        Fail(path, std::string("cannot be loaded: ") + loader.what());
    }
    auto reader = std::make_shared<ResultReader>();
    reader->name = path;
    reader->functions = BoundFunctions(*library, path);
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
