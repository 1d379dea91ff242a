#include "size_text.h"

#include <iomanip>
#include <sstream>

namespace brenwick {

std::string GroupedDigits(std::uint64_t number) {
    const std::string digits = std::to_string(number);
    std::string grouped;
    for (std::size_t i = 0; i < digits.size(); ++i) {
        if (i > 0 && (digits.size() - i) % 3 == 0) grouped += ',';
        grouped += digits[i];
    }
    return grouped;
}

std::string BinarySize(std::uint64_t bytes) {
    constexpr const char* units[] = {"KiB", "MiB", "GiB", "TiB"};
    double scaled = static_cast<double>(bytes);
    const char* unit = nullptr;
    for (const char* larger : units) {
        if (scaled < 1024) break;
        scaled /= 1024;
        unit = larger;
    }
    std::ostringstream text;
    if (unit == nullptr) {
        text << bytes << " bytes";
    } else {
        text << std::fixed << std::setprecision(1) << scaled << " " << unit;
    }
    return text.str();
}

}  // namespace brenwick
