#include "platform/windows_error.h"

#include "platform/utf8_path.h"

#include <windows.h>

namespace brenwick {

std::string WindowsErrorText(unsigned long code, const std::string& name) {
    wchar_t* wide = nullptr;
    const DWORD length =
        FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                       nullptr, code, 0, reinterpret_cast<LPWSTR>(&wide), 0, nullptr);
    std::string text =
        length > 0 ? TextFromPath(std::filesystem::path(std::wstring(wide, length))) : "error " + std::to_string(code);
    LocalFree(wide);
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r' || text.back() == ' ')) text.pop_back();
    for (std::string::size_type at = text.find("%1"); at != std::string::npos; at = text.find("%1", at + name.size())) {
        text.replace(at, 2, name);
    }
    return text;
}

}  // namespace brenwick
