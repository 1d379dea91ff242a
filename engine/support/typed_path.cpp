#include "typed_path.h"

#include "platform/utf8_path.h"

#include <filesystem>
#include <optional>
#include <string_view>
#include <system_error>

namespace brenwick {

namespace fs = std::filesystem;

namespace {

// Never throws: a text that is no path on this system names nothing.
bool Exists(const std::string& text) {
    try {
        std::error_code error;
        return !text.empty() && fs::exists(fs::symlink_status(PathFromText(text), error));
    } catch (const std::exception&) {
        return false;
    }
}

bool FolderExists(const std::string& text) {
    try {
        std::error_code error;
        const fs::path folder = PathFromText(text).parent_path();
        return fs::is_directory(folder.empty() ? fs::path(".") : folder, error);
    } catch (const std::exception&) {
        return false;
    }
}

std::string_view WithoutBlanks(std::string_view text) {
    constexpr std::string_view kBlanks = " \t\r\n";
    const std::size_t first = text.find_first_not_of(kBlanks);
    if (first == std::string_view::npos) return {};
    return text.substr(first, text.find_last_not_of(kBlanks) - first + 1);
}

std::string_view WithoutQuotes(std::string_view text) {
    const bool quoted =
        text.size() >= 2 && (text.front() == '"' || text.front() == '\'') && text.back() == text.front();
    return quoted ? text.substr(1, text.size() - 2) : text;
}

int HexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

// %XX as the byte it stands for; nothing for a % without two hex digits.
std::optional<std::string> PercentDecoded(std::string_view text) {
    std::string decoded;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '%') {
            decoded += text[i];
            continue;
        }
        const int high = i + 2 < text.size() ? HexDigit(text[i + 1]) : -1;
        const int low = high < 0 ? -1 : HexDigit(text[i + 2]);
        if (low < 0) return std::nullopt;
        decoded += static_cast<char>(high * 16 + low);
        i += 2;
    }
    return decoded;
}

bool StartsWithNoCase(std::string_view text, std::string_view prefix) {
    if (text.size() < prefix.size()) return false;
    for (std::size_t i = 0; i < prefix.size(); ++i) {
        const char c = text[i];
        if ((c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c) != prefix[i]) return false;
    }
    return true;
}

// The local path of a file:// address, or nothing for another text or a remote host.
std::optional<std::string> LocalPathOfAddress(std::string_view text) {
    constexpr std::string_view kScheme = "file:";
    constexpr std::string_view kLocalHost = "localhost";
    if (!StartsWithNoCase(text, kScheme)) return std::nullopt;
    std::string_view rest = text.substr(kScheme.size());
    if (rest.starts_with("//")) {
        rest.remove_prefix(2);
        const std::size_t slash = rest.find('/');
        if (slash == std::string_view::npos) return std::nullopt;
        const std::string_view host = rest.substr(0, slash);
        rest.remove_prefix(slash);
        if (!host.empty() && !(host.size() == kLocalHost.size() && StartsWithNoCase(host, kLocalHost))) {
#if defined(_WIN32)
            rest = text.substr(kScheme.size());  // a share: //server/share/p
#else
            return std::nullopt;
#endif
        }
    }
    if (!rest.starts_with('/')) return std::nullopt;
    std::optional<std::string> path = PercentDecoded(rest);
#if defined(_WIN32)
    // /C:/p names the drive C:.
    if (path && path->size() >= 3 && (*path)[2] == ':' && (*path)[1] != '/') path->erase(0, 1);
#endif
    return path;
}

}  // namespace

std::string TypedPath(const std::string& text) {
    if (Exists(text)) return text;
    const std::string_view bare = WithoutQuotes(WithoutBlanks(text));
    const std::string meant = LocalPathOfAddress(bare).value_or(std::string(bare));
    if (meant.empty() || meant == text) return text;
    if (Exists(meant) || (FolderExists(meant) && !FolderExists(text))) return meant;
    return text;
}

}  // namespace brenwick
