#include "efm_files.h"

#include <fstream>
#include <stdexcept>

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
    blocks.node_values = nodes;
    if (!only_potentials) {
        blocks.x_lines = x;
        blocks.y_lines = y;
        blocks.z_lines = z;
        blocks.element_properties = properties;
        blocks.element_materials = bytes;
        blocks.materials = records;
    }
    return blocks;
}

std::string Bytes(const efm::Blocks& blocks) {
    StringSink sink;
    efm::WriteFile(blocks, sink);
    return sink.text;
}

void Write(const std::string& path, const efm::Blocks& blocks) {
    const std::string bytes = Bytes(blocks);
    std::ofstream out(path, std::ios::binary);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (!out.flush()) throw std::runtime_error("test_efm::Write: cannot write " + path);
}

}  // namespace test_efm
