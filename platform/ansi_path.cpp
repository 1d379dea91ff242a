#include "platform/ansi_path.h"

#include "platform/utf8_path.h"

#if defined(_WIN32)
#include <windows.h>
#endif

namespace brenwick {

#if defined(_WIN32)

namespace {

// The text in the ANSI code page; nothing when a character has no spelling there (no
// look-alike is taken instead: it would name another file).
std::optional<std::string> ToAnsi(const std::wstring& wide) {
    if (wide.empty()) return std::string();
    // A system whose code page is UTF-8 spells everything, and takes no such check.
    const bool utf8 = GetACP() == CP_UTF8;
    const DWORD flags = utf8 ? 0 : WC_NO_BEST_FIT_CHARS;
    BOOL lossy = FALSE;
    BOOL* check = utf8 ? nullptr : &lossy;
    const int length = static_cast<int>(wide.size());
    const int size = WideCharToMultiByte(CP_ACP, flags, wide.data(), length, nullptr, 0, nullptr, check);
    if (size <= 0 || lossy) return std::nullopt;
    std::string text(static_cast<std::size_t>(size), '\0');
    WideCharToMultiByte(CP_ACP, flags, wide.data(), length, text.data(), size, nullptr, check);
    return text;
}

std::optional<std::wstring> ShortName(const std::wstring& path) {
    const DWORD size = GetShortPathNameW(path.c_str(), nullptr, 0);
    if (size == 0) return std::nullopt;
    std::wstring name(size, L'\0');
    const DWORD length = GetShortPathNameW(path.c_str(), name.data(), size);
    if (length == 0 || length >= size) return std::nullopt;
    name.resize(length);
    return name;
}

}  // namespace

std::optional<std::string> AnsiPathFor(const std::string& path) {
    const std::wstring wide = PathFromText(path).wstring();
    if (auto ansi = ToAnsi(wide)) return ansi;
    if (const auto short_name = ShortName(wide)) return ToAnsi(*short_name);
    return std::nullopt;
}

std::filesystem::path PathFromAnsi(const char* text) {
    const int length = MultiByteToWideChar(CP_ACP, 0, text, -1, nullptr, 0);
    if (length <= 0) return {};
    std::wstring wide(static_cast<std::size_t>(length), L'\0');
    MultiByteToWideChar(CP_ACP, 0, text, -1, wide.data(), length);
    wide.pop_back();  // the terminating NUL
    return std::filesystem::path(wide);
}

#else

std::optional<std::string> AnsiPathFor(const std::string& path) { return path; }

std::filesystem::path PathFromAnsi(const char* text) { return std::filesystem::path(text); }

#endif

}  // namespace brenwick
