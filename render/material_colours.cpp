#include "material_colours.h"

#include "efm/garfield_limits.h"

#include <array>
#include <cstddef>

namespace brenwick::render {

namespace {

// Tableau's ten colours, which stay apart for most kinds of colour vision.
constexpr std::array<QRgb, 10> kSolidColours{0x4E79A7, 0xF28E2B, 0xE15759, 0x76B7B2, 0x59A14F,
                                             0xEDC948, 0xB07AA1, 0xFF9DA7, 0x9C755F, 0xBAB0AC};
constexpr std::array<QRgb, 3> kGasColours{0xDCEBF7, 0xC6E2D9, 0xE9E0F3};

// The colour at `ordinal` in a table; each further round through the table is darker, so
// that even many records keep distinct colours.
QColor Cycled(std::span<const QRgb> table, std::size_t ordinal) {
    const QColor base(table[ordinal % table.size()]);
    const std::size_t round = ordinal / table.size();
    return round == 0 ? base : base.darker(100 + 35 * static_cast<int>(round));
}

}  // namespace

std::vector<QColor> MaterialColours(std::span<const efm::MaterialRecord> records) {
    std::vector<QColor> colours;
    std::size_t gases = 0, solids = 0;
    for (const efm::MaterialRecord& record : records) {
        colours.push_back(efm::IsDriftGas(record) ? Cycled(kGasColours, gases++) : Cycled(kSolidColours, solids++));
    }
    return colours;
}

}  // namespace brenwick::render
