#include "platform/utf8_process.h"

#if defined(_WIN32)
#include "platform/utf8_path.h"

#include <memory>

// windows.h first: shellapi.h needs its types.
#include <windows.h>

#include <shellapi.h>
#endif

namespace brenwick {

#if defined(_WIN32)

Utf8Arguments::Utf8Arguments(int argc, char** argv) {
    int count = 0;
    const std::unique_ptr<LPWSTR, decltype(&LocalFree)> wide(CommandLineToArgvW(GetCommandLineW(), &count), &LocalFree);
    if (wide == nullptr) {
        texts_.assign(argv, argv + argc);
    } else {
        for (int i = 0; i < count; ++i) texts_.push_back(TextFromPath(std::filesystem::path(wide.get()[i])));
    }
    for (std::string& text : texts_) pointers_.push_back(text.data());
    pointers_.push_back(nullptr);
}

void UseUtf8Console() { SetConsoleOutputCP(CP_UTF8); }

#else

Utf8Arguments::Utf8Arguments(int argc, char** argv) : pointers_(argv, argv + argc + 1) {}

void UseUtf8Console() {}

#endif

}  // namespace brenwick
