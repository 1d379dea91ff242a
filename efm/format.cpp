#include "format.h"

#include "grid.h"

namespace brenwick::efm {

std::string_view KeyName(Key key) { return kKeyNames[static_cast<std::size_t>(key)]; }

void CountElements(std::span<const unsigned char> bytes, ElementsPerByte& counts) {
    // Four tallies taken in turn, so that runs of equal bytes do not wait for each other's
    // increment.
    std::array<ElementsPerByte, 4> tallies{};
    std::size_t index = 0;
    for (; index + 4 <= bytes.size(); index += 4) {
        for (std::size_t lane = 0; lane < 4; ++lane) ++tallies[lane][bytes[index + lane]];
    }
    for (; index < bytes.size(); ++index) ++tallies[0][bytes[index]];
    for (std::size_t byte = 0; byte < counts.size(); ++byte) {
        counts[byte] += tallies[0][byte] + tallies[1][byte] + tallies[2][byte] + tallies[3][byte];
    }
}

bool Header::HasMesh() const {
    return (*this)[Key::mesh_xlines] != 0 || (*this)[Key::mesh_ylines] != 0 || (*this)[Key::mesh_zlines] != 0;
}

Layout LayoutOf(const Header& h) {
    Layout layout;
    layout.x_lines = kHeaderSize;
    layout.y_lines = SaturatingAdd(layout.x_lines, SaturatingMultiply(8, h.Values(Key::mesh_xlines)));
    layout.z_lines = SaturatingAdd(layout.y_lines, SaturatingMultiply(8, h.Values(Key::mesh_ylines)));
    layout.node_values = SaturatingAdd(layout.z_lines, SaturatingMultiply(8, h.Values(Key::mesh_zlines)));
    layout.element_properties = SaturatingAdd(layout.node_values, SaturatingMultiply(4, h.Values(Key::nodes_scalar)));
    layout.element_materials =
        SaturatingAdd(layout.element_properties, SaturatingMultiply(4, h.Values(Key::elements_scalar)));
    layout.records = SaturatingAdd(layout.element_materials, h.Values(Key::elements_material));
    return layout;
}

std::uint64_t FileSize(const Header& header, std::span<const MaterialRecord> records) {
    std::uint64_t size = LayoutOf(header).records;
    for (const MaterialRecord& record : records) size = SaturatingAdd(size, RecordSize(record.description.size()));
    return size;
}

std::optional<Axis> AxisOfLetter(std::string_view text) {
    for (const Axis axis : kAxes) {
        if (text.size() == 1 && text[0] == AxisLetter(axis)) return axis;
    }
    return std::nullopt;
}

}  // namespace brenwick::efm
