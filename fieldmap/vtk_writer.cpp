#include "vtk_writer.h"

#include "replacing_file.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cstdint>
#include <functional>
#include <limits>
#include <numeric>
#include <span>
#include <sstream>
#include <vector>

namespace brenwick::fieldmap {

namespace {

static_assert(std::endian::native == std::endian::little,
              "the export file and the VTK file both hold the machine's numbers, which must be little-endian");

// Values per piece while streaming a block: a few MiB, so that memory stays small whatever the map.
constexpr std::uint64_t kPieceValues = std::uint64_t{1} << 20;

// One data array of the file: what the XML says of it and how its values are streamed.
struct DataArray {
    std::string name;
    std::string type;
    std::uint64_t bytes = 0;
    std::function<void(ReplacingFile&)> write;
};

// Streams `count` values that read(first, piece) delivers, piece by piece.
template <typename T, typename Read>
void Stream(std::uint64_t count, Read read, ReplacingFile& out) {
    std::vector<T> piece(static_cast<std::size_t>(std::min(count, kPieceValues)));
    for (std::uint64_t first = 0; first < count; first += piece.size()) {
        const std::span<T> part(piece.data(), static_cast<std::size_t>(std::min<std::uint64_t>(piece.size(), count - first)));
        read(first, part);
        out.Write(part.data(), part.size_bytes());
    }
}

DataArray Float32Array(std::string name, std::uint64_t count, std::function<void(ReplacingFile&)> write) {
    return {std::move(name), "Float32", count * sizeof(float), std::move(write)};
}

DataArray Coordinates(const std::string& name, std::vector<double> lines) {
    const std::uint64_t bytes = lines.size() * sizeof(double);
    return {name, "Float64", bytes, [lines = std::move(lines)](ReplacingFile& out) {
                out.Write(lines.data(), lines.size() * sizeof(double));
            }};
}

// A record property per element, through a table of the 256 bytes: NaN where a byte names no record.
DataArray RecordProperty(std::string name, efm::Reader& reader, const std::array<float, 256>& by_byte) {
    const auto count = static_cast<std::uint64_t>(reader.header()[efm::Key::elements_material]);
    return Float32Array(std::move(name), count, [&reader, by_byte, count](ReplacingFile& out) {
        std::vector<unsigned char> bytes;
        Stream<float>(count, [&](std::uint64_t first, std::span<float> values) {
            bytes.resize(values.size());
            reader.ReadElementMaterials(first, bytes);
            std::transform(bytes.begin(), bytes.end(), values.begin(), [&](unsigned char b) { return by_byte[b]; });
        }, out);
    });
}

std::vector<DataArray> PointData(efm::Reader& reader) {
    const auto count = static_cast<std::uint64_t>(reader.header()[efm::Key::nodes_scalar]);
    return {Float32Array("potential", count, [&reader, count](ReplacingFile& out) {
        Stream<float>(count, [&](std::uint64_t first, std::span<float> values) { reader.ReadNodeValues(first, values); }, out);
    })};
}

std::vector<DataArray> CellData(efm::Reader& reader) {
    std::vector<DataArray> arrays;
    const efm::Header& header = reader.header();
    if (const auto count = static_cast<std::uint64_t>(header[efm::Key::elements_material]); count > 0) {
        arrays.push_back({"material", "UInt8", count, [&reader, count](ReplacingFile& out) {
                              Stream<unsigned char>(count, [&](std::uint64_t first, std::span<unsigned char> bytes) {
                                  reader.ReadElementMaterials(first, bytes);
                              }, out);
                          }});
        std::array<float, 256> ids, eps;
        ids.fill(std::numeric_limits<float>::quiet_NaN());
        eps.fill(std::numeric_limits<float>::quiet_NaN());
        const std::vector<efm::MaterialRecord> records = reader.MaterialRecords();
        for (std::size_t byte = 0; byte < std::min<std::size_t>(records.size(), 256); ++byte) {
            ids[byte] = records[byte].id;
            eps[byte] = records[byte].eps;
        }
        arrays.push_back(RecordProperty("material_id", reader, ids));
        arrays.push_back(RecordProperty("eps", reader, eps));
    }
    if (const auto count = static_cast<std::uint64_t>(header[efm::Key::elements_scalar]); count > 0) {
        arrays.push_back(Float32Array("property", count, [&reader, count](ReplacingFile& out) {
            Stream<float>(count, [&](std::uint64_t first, std::span<float> values) {
                reader.ReadElementProperties(first, values);
            }, out);
        }));
    }
    return arrays;
}

// Mesh lines, or node indices in a file of potentials only.
std::vector<DataArray> CoordinateData(efm::Reader& reader) {
    std::vector<DataArray> arrays;
    const char* const names[3] = {"x", "y", "z"};
    for (std::size_t a = 0; a < 3; ++a) {
        const auto axis = static_cast<efm::Axis>(a);
        std::vector<double> lines;
        if (reader.header().HasMesh()) {
            lines = reader.MeshLines(axis);
        } else {
            lines.resize(static_cast<std::size_t>(reader.MeshDims()[a]));
            std::iota(lines.begin(), lines.end(), 0.0);
        }
        arrays.push_back(Coordinates(names[a], std::move(lines)));
    }
    return arrays;
}

// The XML element of each array, with its offset into the appended data; advances `offset`.
void DescribeArrays(std::ostringstream& xml, const std::vector<DataArray>& arrays, std::uint64_t& offset) {
    for (const DataArray& array : arrays) {
        xml << "        <DataArray type=\"" << array.type << "\" Name=\"" << array.name
            << "\" NumberOfComponents=\"1\" format=\"appended\" offset=\"" << offset << "\"/>\n";
        offset += sizeof(std::uint64_t) + array.bytes;
    }
}

std::string Extent(const std::array<int, 3>& dims) {
    return "0 " + std::to_string(dims[0] - 1) + " 0 " + std::to_string(dims[1] - 1) + " 0 " + std::to_string(dims[2] - 1);
}

std::string XmlHead(const std::array<int, 3>& dims, const std::vector<DataArray>& points,
                    const std::vector<DataArray>& cells, const std::vector<DataArray>& coordinates) {
    std::ostringstream xml;
    std::uint64_t offset = 0;
    xml << "<?xml version=\"1.0\"?>\n"
        << "<VTKFile type=\"RectilinearGrid\" version=\"1.0\" byte_order=\"LittleEndian\" header_type=\"UInt64\">\n"
        << "  <RectilinearGrid WholeExtent=\"" << Extent(dims) << "\">\n"
        << "    <Piece Extent=\"" << Extent(dims) << "\">\n"
        << "      <PointData Scalars=\"potential\">\n";
    DescribeArrays(xml, points, offset);
    xml << "      </PointData>\n";
    xml << (cells.empty() ? "      <CellData>\n" : "      <CellData Scalars=\"" + cells.front().name + "\">\n");
    DescribeArrays(xml, cells, offset);
    xml << "      </CellData>\n"
        << "      <Coordinates>\n";
    DescribeArrays(xml, coordinates, offset);
    xml << "      </Coordinates>\n"
        << "    </Piece>\n"
        << "  </RectilinearGrid>\n"
        << "  <AppendedData encoding=\"raw\">\n"
        << "   _";
    return xml.str();
}

}  // namespace

void WriteVtr(efm::Reader& reader, const std::string& path) {
    const std::vector<DataArray> points = PointData(reader);
    const std::vector<DataArray> cells = CellData(reader);
    const std::vector<DataArray> coordinates = CoordinateData(reader);

    ReplacingFile out(path);
    const std::string head = XmlHead(reader.MeshDims(), points, cells, coordinates);
    out.Write(head.data(), head.size());
    for (const std::vector<DataArray>* group : {&points, &cells, &coordinates}) {
        for (const DataArray& array : *group) {
            const std::uint64_t bytes = array.bytes;
            out.Write(&bytes, sizeof bytes);
            array.write(out);
        }
    }
    const std::string tail = "\n  </AppendedData>\n</VTKFile>\n";
    out.Write(tail.data(), tail.size());
    out.Commit();
}

}  // namespace brenwick::fieldmap
