#include "probe.h"

#include "efm/garfield_limits.h"
#include "efm/grid.h"
#include "interpolation.h"
#include "mesh_axis.h"

#include <stdexcept>

namespace brenwick::fieldmap {

namespace {

// Where a point lies in its element.
struct Location {
    std::size_t result = 0;  // index of the point's result
    std::array<double, 3> local{}, lengths{};
};

class Mesh {
public:
    explicit Mesh(efm::Reader& reader) : dims_(reader.MeshDims()) {
        for (std::size_t a = 0; a < 3; ++a) lines_[a] = reader.Lines(static_cast<efm::Axis>(a));
    }

    // Fills the element of `result` and returns where the point lies in it; nothing when the
    // point is outside.
    std::optional<Location> Locate(ProbeResult& result) const {
        Location location;
        for (std::size_t a = 0; a < 3; ++a) {
            const std::optional<std::size_t> cell = CellOf(lines_[a], result.point[a]);
            if (!cell) return std::nullopt;
            result.element[a] = *cell;
            location.lengths[a] = lines_[a][*cell + 1] - lines_[a][*cell];
            location.local[a] = (result.point[a] - lines_[a][*cell]) / location.lengths[a];
        }
        result.inside = true;
        return location;
    }

    std::uint64_t Node(std::array<std::size_t, 3> n) const { return efm::NodeIndex(dims_, n[0], n[1], n[2]); }
    std::uint64_t Element(std::array<std::size_t, 3> e) const { return efm::ElementIndex(dims_, e[0], e[1], e[2]); }

private:
    std::array<int, 3> dims_;
    std::array<std::vector<double>, 3> lines_;
};

// Node indices of the eight corners of an element, in the order of Corners.
std::array<std::uint64_t, 8> CornerNodes(const Mesh& mesh, std::array<std::size_t, 3> e) {
    std::array<std::uint64_t, 8> nodes{};
    for (std::size_t corner = 0; corner < 8; ++corner) {
        nodes[corner] = mesh.Node({e[0] + (corner & 1), e[1] + ((corner >> 1) & 1), e[2] + ((corner >> 2) & 1)});
    }
    return nodes;
}

}  // namespace

std::vector<ProbeResult> ProbePoints(efm::Reader& reader, std::span<const Point> points) {
    if (!reader.header().HasMesh()) {
        throw std::invalid_argument("the file holds only potentials, without mesh lines: its points have no coordinates");
    }
    const Mesh mesh(reader);
    const bool has_materials = reader.header()[efm::Key::elements_material] > 0;
    std::vector<ProbeResult> results(points.size());
    std::vector<Location> locations;
    std::vector<std::uint64_t> nodes, elements;
    for (std::size_t n = 0; n < points.size(); ++n) {
        results[n].point = points[n];
        std::optional<Location> location = mesh.Locate(results[n]);
        if (!location) continue;
        location->result = n;
        locations.push_back(*location);
        const std::array<std::uint64_t, 8> corners = CornerNodes(mesh, results[n].element);
        nodes.insert(nodes.end(), corners.begin(), corners.end());
        elements.push_back(mesh.Element(results[n].element));
    }

    std::vector<float> values(nodes.size());
    reader.GatherNodeValues(nodes, values);
    std::vector<unsigned char> bytes(has_materials ? elements.size() : 0);
    std::vector<efm::MaterialRecord> records;
    if (has_materials) {
        reader.GatherElementMaterials(elements, bytes);
        records = reader.MaterialRecords();
    }

    for (std::size_t hit = 0; hit < locations.size(); ++hit) {
        ProbeResult& result = results[locations[hit].result];
        Corners corners{};
        for (std::size_t corner = 0; corner < 8; ++corner) corners[corner] = values[8 * hit + corner];
        const Interpolated interpolated = Trilinear(corners, locations[hit].local, locations[hit].lengths);
        result.potential = interpolated.value;
        // 0 - g rather than -g, so that a field component of zero is +0 and prints as 0.
        for (std::size_t a = 0; a < 3; ++a) result.field[a] = 0.0 - interpolated.gradient[a];
        if (has_materials) {
            result.material_index = bytes[hit];
            if (const efm::MaterialRecord* record = efm::RecordOfByte(records, bytes[hit])) result.material = *record;
        }
    }
    return results;
}

}  // namespace brenwick::fieldmap
