#include "writer.h"

#include <cstdint>
#include <cstdio>
#include <limits>
#include <stdexcept>
#include <string>

namespace brenwick::efm {

namespace {

std::int32_t HeaderNumber(std::size_t count, std::string_view key) {
    if (count > static_cast<std::size_t>(std::numeric_limits<std::int32_t>::max())) {
        throw HeaderLimitError(std::string(key) + "=" + std::to_string(count) +
                               " does not fit the 32-bit integer of the export file header.");
    }
    return static_cast<std::int32_t>(count);
}

template <typename T>
bool WriteBlock(ByteSink& sink, std::span<const T> block) {
    return block.empty() || sink.Write(block.data(), block.size_bytes());
}

bool WriteRecord(ByteSink& sink, const MaterialRecord& record) {
    // HeaderOf has checked that the length fits.
    const auto length = static_cast<std::int32_t>(record.description.size() + 1);
    return sink.Write(&record.id, 4) && sink.Write(&length, 4) &&
           sink.Write(record.description.c_str(), static_cast<std::size_t>(length)) && sink.Write(&record.eps, 4) &&
           sink.Write(&record.mue, 4) && sink.Write(&record.rho, 4);
}

}  // namespace

Blocks PotentialsOnly(const Blocks& blocks) {
    Blocks potentials;
    potentials.mesh_dims = blocks.mesh_dims;
    potentials.node_values = blocks.node_values;
    return potentials;
}

Header HeaderOf(const Blocks& b) {
    for (const MaterialRecord& record : b.materials) HeaderNumber(record.description.size() + 1, "description length");
    Header h;
    h[Key::mesh_nx] = b.mesh_dims[0];
    h[Key::mesh_ny] = b.mesh_dims[1];
    h[Key::mesh_nz] = b.mesh_dims[2];
    h[Key::mesh_xlines] = HeaderNumber(b.x_lines.size(), KeyName(Key::mesh_xlines));
    h[Key::mesh_ylines] = HeaderNumber(b.y_lines.size(), KeyName(Key::mesh_ylines));
    h[Key::mesh_zlines] = HeaderNumber(b.z_lines.size(), KeyName(Key::mesh_zlines));
    h[Key::nodes_scalar] = HeaderNumber(b.node_values.size(), KeyName(Key::nodes_scalar));
    h[Key::elements_scalar] = HeaderNumber(b.element_properties.size(), KeyName(Key::elements_scalar));
    h[Key::elements_material] = HeaderNumber(b.element_materials.size(), KeyName(Key::elements_material));
    h[Key::n_materials] = HeaderNumber(b.materials.size(), KeyName(Key::n_materials));
    return h;
}

std::array<char, kHeaderSize> FormatHeader(const Header& header) {
    std::array<char, kHeaderSize> block{};
    std::size_t used = 0;
    std::size_t key = 0;
    for (const std::size_t keys_on_line : kKeysPerLine) {
        for (std::size_t k = 0; k < keys_on_line; ++k, ++key) {
            // At most 410 characters in all, so the text always fits with its NUL.
            used += static_cast<std::size_t>(std::snprintf(block.data() + used, block.size() - used, "%s%.*s=%d",
                                                           k == 0 ? "" : " ", static_cast<int>(kKeyNames[key].size()),
                                                           kKeyNames[key].data(),
                                                           static_cast<int>(header.numbers[key])));
        }
        block[used++] = '\n';
    }
    return block;
}

std::uint64_t FileSize(const Blocks& blocks) { return FileSize(HeaderOf(blocks), blocks.materials); }

bool WriteFile(const Blocks& blocks, ByteSink& sink) {
    const std::array<char, kHeaderSize> header = FormatHeader(HeaderOf(blocks));
    if (!sink.Write(header.data(), header.size()) || !WriteBlock(sink, blocks.x_lines) ||
        !WriteBlock(sink, blocks.y_lines) || !WriteBlock(sink, blocks.z_lines) || !WriteBlock(sink, blocks.node_values) ||
        !WriteBlock(sink, blocks.element_properties) || !WriteBlock(sink, blocks.element_materials)) {
        return false;
    }
    for (const MaterialRecord& record : blocks.materials) {
        if (!WriteRecord(sink, record)) return false;
    }
    return true;
}

}  // namespace brenwick::efm
