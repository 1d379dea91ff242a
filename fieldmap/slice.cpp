#include "slice.h"

#include "efm/mesh_lines.h"
#include "mesh_axis.h"

#include <stdexcept>
#include <string>

namespace brenwick::fieldmap {

namespace {

// The records with each description cut to what a slice keeps. One byte more is read, so that
// a description of exactly kSliceDescriptionBytes stays whole.
std::vector<efm::MaterialRecord> SliceRecords(efm::Reader& reader) {
    std::vector<efm::MaterialRecord> records = reader.MaterialRecords(kSliceDescriptionBytes + 1);
    for (efm::MaterialRecord& record : records) {
        std::string& text = record.description;
        if (text.size() <= kSliceDescriptionBytes) continue;
        std::size_t cut = kSliceDescriptionBytes;
        // Back over the continuation bytes (10xxxxxx) of a UTF-8 character the cut would split.
        while (cut > 0 && (static_cast<unsigned char>(text[cut]) & 0xC0) == 0x80) --cut;
        text.resize(cut);
        text += "\u2026";
    }
    return records;
}

}  // namespace

std::array<efm::Axis, 2> PlaneAxes(efm::Axis axis) {
    switch (axis) {
        case efm::Axis::x: return {efm::Axis::y, efm::Axis::z};
        case efm::Axis::y: return {efm::Axis::x, efm::Axis::z};
        case efm::Axis::z: return {efm::Axis::x, efm::Axis::y};
    }
    throw std::invalid_argument("PlaneAxes: no such axis");
}

int SliceIndex(const SliceRequest& request, const std::vector<double>& lines, bool has_mesh) {
    const int count = static_cast<int>(lines.size());
    if (request.index) {
        if (*request.index < 0 || *request.index >= count) {
            throw std::out_of_range("the plane index " + std::to_string(*request.index) + " lies outside 0 to " +
                                    std::to_string(count - 1) + " along " + AxisName(request.axis));
        }
        return *request.index;
    }
    if (request.at) {
        if (!has_mesh) {
            throw std::invalid_argument("the file holds only potentials, without mesh lines: choose the plane by its index");
        }
        return static_cast<int>(NearestLine(lines, *request.at, request.axis));
    }
    return (count - 1) / 2;
}

Slice ReadSlice(efm::Reader& reader, const SliceRequest& request) {
    Slice slice;
    slice.axis = request.axis;
    slice.has_mesh = reader.header().HasMesh();
    const std::vector<double> lines = AxisCoordinates(reader, request.axis);
    slice.planes = static_cast<int>(lines.size());
    slice.index = SliceIndex(request, lines, slice.has_mesh);
    slice.position = lines[static_cast<std::size_t>(slice.index)];
    slice.plane_axes = PlaneAxes(request.axis);
    for (std::size_t a = 0; a < 2; ++a) slice.lines[a] = AxisCoordinates(reader, slice.plane_axes[a]);
    slice.potential = reader.NodePlane(request.axis, slice.index);
    if (reader.header()[efm::Key::elements_material] > 0) {
        slice.element_layer = slice.index == 0 ? 0 : slice.index - 1;
        slice.materials = reader.ElementMaterialLayer(request.axis, *slice.element_layer);
        slice.records = SliceRecords(reader);
    }
    return slice;
}

void CheckDrawable(const Slice& slice) {
    for (std::size_t a = 0; a < 2; ++a) {
        if (slice.lines[a].empty()) {
            throw std::invalid_argument("the slice has no lines along " + AxisName(slice.plane_axes[a]));
        }
        if (const auto problem = efm::MeshLinesProblem(slice.lines[a], slice.plane_axes[a])) {
            throw std::invalid_argument(*problem);
        }
    }
    const std::size_t across = slice.lines[0].size(), up = slice.lines[1].size();
    if (slice.potential.size() != across * up) {
        throw std::invalid_argument("the slice has " + std::to_string(slice.potential.size()) + " node values for " +
                                    std::to_string(across * up) + " nodes");
    }
    const std::size_t elements = (across - 1) * (up - 1);
    if (slice.element_layer && (elements == 0 || slice.materials.size() != elements)) {
        throw std::invalid_argument("the slice's element layer has " + std::to_string(slice.materials.size()) +
                                    " bytes for its " + std::to_string(elements) + " elements");
    }
}

}  // namespace brenwick::fieldmap
