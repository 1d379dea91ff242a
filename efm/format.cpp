#include "format.h"

#include "grid.h"

namespace brenwick::efm {

std::string_view KeyName(Key key) { return kKeyNames[static_cast<std::size_t>(key)]; }

void CountElements(std::span<const unsigned char> bytes, ElementsPerByte& counts) {
    for (const unsigned char byte : bytes) ++counts[byte];
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

}  // namespace brenwick::efm
