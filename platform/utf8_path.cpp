#include "platform/utf8_path.h"

namespace brenwick {

#if defined(_WIN32)

std::filesystem::path PathFromText(const std::string& text) {
    return std::filesystem::path(std::u8string(text.begin(), text.end()));
}

std::string TextFromPath(const std::filesystem::path& path) {
    const std::u8string text = path.u8string();
    return std::string(text.begin(), text.end());
}

#else

std::filesystem::path PathFromText(const std::string& text) { return std::filesystem::path(text); }

std::string TextFromPath(const std::filesystem::path& path) { return path.string(); }

#endif

}  // namespace brenwick
