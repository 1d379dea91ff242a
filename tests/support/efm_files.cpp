#include "efm_files.h"

#include "efm/reader.h"

#include <fstream>
#include <numeric>
#include <stdexcept>
#include <utility>

namespace test_efm {

using namespace brenwick;

namespace {

class StringSink : public efm::ByteSink {
public:
    bool Write(const void* data, std::size_t bytes) override {
        text.append(static_cast<const char*>(data), bytes);
        return true;
    }
    std::string text;
};

}  // namespace

efm::Blocks MapContents::Blocks(bool only_potentials) const {
    efm::Blocks blocks;
    blocks.mesh_dims = dims;
    blocks.x_lines = x;
    blocks.y_lines = y;
    blocks.z_lines = z;
    blocks.node_values = nodes;
    blocks.element_properties = properties;
    blocks.element_materials = bytes;
    blocks.materials = records;
    return only_potentials ? efm::PotentialsOnly(blocks) : blocks;
}

MapContents TwoElementMap() {
    MapContents map;
    map.dims = {3, 2, 2};
    map.x = {0, 1, 3};
    map.y = {0, 2};
    map.z = {-1, 1};
    map.nodes = {0, -1, -2, -3, -4, -5, -6, -7, -8, -9, -10, -11};
    map.properties = {1.0f, 4.5f};
    map.bytes = {0, 1};
    map.records = {{0, "gas", 1, 1, 0.001f}, {1, "FR4", 4.4f, 1, 1.8f}};
    return map;
}

MapContents NumberedMap(const std::array<int, 3>& dims) {
    MapContents map;
    map.dims = dims;
    for (auto [lines, count] : {std::pair{&map.x, dims[0]}, {&map.y, dims[1]}, {&map.z, dims[2]}}) {
        lines->resize(static_cast<std::size_t>(count));
        std::iota(lines->begin(), lines->end(), 0.0);
    }
    map.nodes.resize(static_cast<std::size_t>(dims[0]) * dims[1] * dims[2]);
    std::iota(map.nodes.begin(), map.nodes.end(), 0.0f);
    map.bytes.resize(static_cast<std::size_t>(dims[0] - 1) * (dims[1] - 1) * (dims[2] - 1));
    for (std::size_t e = 0; e < map.bytes.size(); ++e) map.bytes[e] = static_cast<unsigned char>(e % 251);
    map.records = {{0, "gas", 1, 1, 0}};
    return map;
}

std::string Bytes(const efm::Blocks& blocks) {
    StringSink sink;
    efm::WriteFile(blocks, sink);
    return sink.text;
}

MapContents Read(const std::string& path) {
    efm::FileReader reader(path);
    const efm::Header& header = reader.header();
    const auto count = [&](efm::Key key) { return static_cast<std::size_t>(header[key]); };
    MapContents contents;
    contents.dims = reader.MeshDims();
    contents.x = reader.Lines(efm::Axis::x);
    contents.y = reader.Lines(efm::Axis::y);
    contents.z = reader.Lines(efm::Axis::z);
    contents.nodes.resize(count(efm::Key::nodes_scalar));
    reader.ReadNodeValues(0, contents.nodes);
    contents.properties.resize(count(efm::Key::elements_scalar));
    reader.ReadElementProperties(0, contents.properties);
    contents.bytes.resize(count(efm::Key::elements_material));
    reader.ReadElementMaterials(0, contents.bytes);
    contents.records = reader.MaterialRecords();
    return contents;
}

void Write(const std::string& path, const efm::Blocks& blocks) {
    const std::string bytes = Bytes(blocks);
    std::ofstream out(path, std::ios::binary);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (!out.flush()) throw std::runtime_error("test_efm::Write: cannot write " + path);
}

}  // namespace test_efm
