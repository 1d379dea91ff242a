#include "format.h"

#include <limits>

namespace brenwick::efm {

namespace {

constexpr std::uint64_t kSaturated = std::numeric_limits<std::uint64_t>::max();

std::uint64_t Add(std::uint64_t a, std::uint64_t b) { return b > kSaturated - a ? kSaturated : a + b; }
std::uint64_t Multiply(std::uint64_t a, std::uint64_t b) { return a != 0 && b > kSaturated / a ? kSaturated : a * b; }

// A count of the header as the number of values it stands for; negative counts stand for none.
std::uint64_t Count(const Header& header, Key key) {
    return header[key] > 0 ? static_cast<std::uint64_t>(header[key]) : 0;
}

}  // namespace

std::string_view KeyName(Key key) { return kKeyNames[static_cast<std::size_t>(key)]; }

bool Header::HasMesh() const {
    return (*this)[Key::mesh_xlines] != 0 || (*this)[Key::mesh_ylines] != 0 || (*this)[Key::mesh_zlines] != 0;
}

Layout LayoutOf(const Header& h) {
    Layout layout;
    layout.x_lines = kHeaderSize;
    layout.y_lines = Add(layout.x_lines, Multiply(8, Count(h, Key::mesh_xlines)));
    layout.z_lines = Add(layout.y_lines, Multiply(8, Count(h, Key::mesh_ylines)));
    layout.node_values = Add(layout.z_lines, Multiply(8, Count(h, Key::mesh_zlines)));
    layout.element_properties = Add(layout.node_values, Multiply(4, Count(h, Key::nodes_scalar)));
    layout.element_materials = Add(layout.element_properties, Multiply(4, Count(h, Key::elements_scalar)));
    layout.records = Add(layout.element_materials, Count(h, Key::elements_material));
    return layout;
}

std::uint64_t FileSize(const Header& header, std::span<const MaterialRecord> records) {
    std::uint64_t size = LayoutOf(header).records;
    for (const MaterialRecord& record : records) size = Add(size, RecordSize(record.description.size()));
    return size;
}

}  // namespace brenwick::efm
