#include "vtk_writer.h"

#include "efm/garfield_limits.h"
#include "mesh_axis.h"
#include "output/output_file.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cmath>
#include <cstdint>
#include <functional>
#include <limits>
#include <span>
#include <sstream>
#include <vector>

namespace brenwick::fieldmap {

namespace {

static_assert(std::endian::native == std::endian::little,
              "the export file and the VTK file both hold the machine's numbers, which must be little-endian");

// Values per piece while streaming a block: a few MiB, so that memory stays small whatever the map.
constexpr std::uint64_t kPieceValues = std::uint64_t{1} << 20;

// The file being written and the buffer that every piece of every array passes through, so
// that streaming allocates its memory once.
struct Output {
    OutputFile& file;
    std::vector<unsigned char> piece;

    // A failed write is reported by Commit.
    void Write(const void* data, std::size_t bytes) { file.Write(data, bytes); }
};

// One data array of the file: what the XML says of it and how its values are streamed.
struct DataArray {
    std::string name;
    std::string type;
    std::uint64_t bytes = 0;
    std::function<void(Output&)> write;
};

// Streams `count` values that read(first, piece) delivers, piece by piece.
template <typename T, typename Read>
void Stream(std::uint64_t count, Read read, Output& out) {
    for (std::uint64_t first = 0; first < count; first += kPieceValues) {
        const auto values = static_cast<std::size_t>(std::min(kPieceValues, count - first));
        if (out.piece.size() < values * sizeof(T)) out.piece.resize(values * sizeof(T));
        const std::span<T> piece(reinterpret_cast<T*>(out.piece.data()), values);
        read(first, piece);
        out.Write(piece.data(), piece.size_bytes());
    }
}

DataArray Float32Array(std::string name, std::uint64_t count, std::function<void(Output&)> write) {
    return {std::move(name), "Float32", count * sizeof(float), std::move(write)};
}

DataArray Coordinates(const std::string& name, std::vector<double> lines) {
    const std::uint64_t bytes = lines.size() * sizeof(double);
    return {name, "Float64", bytes, [lines = std::move(lines)](Output& out) {
                out.Write(lines.data(), lines.size() * sizeof(double));
            }};
}

// A value per element through a table of the 256 material bytes, which are read piece by piece.
template <typename T>
DataArray ByteTable(efm::Reader& reader, std::string name, std::string type, std::uint64_t count,
                    const std::array<T, 256>& table) {
    return {std::move(name), std::move(type), count * sizeof(T), [&reader, table, count](Output& out) {
                std::vector<unsigned char> bytes;
                Stream<T>(count, [&](std::uint64_t first, std::span<T> values) {
                    bytes.resize(values.size());
                    reader.ReadElementMaterials(first, bytes);
                    std::transform(bytes.begin(), bytes.end(), values.begin(), [&](unsigned char b) { return table[b]; });
                }, out);
            }};
}

// A property of the records per element: the property of the record a byte names, `none` for
// a byte that names no record.
template <typename T, typename Property>
std::array<T, 256> RecordTable(const std::vector<efm::MaterialRecord>& records, T none, Property property) {
    std::array<T, 256> table;
    for (unsigned byte = 0; byte < table.size(); ++byte) {
        const efm::MaterialRecord* record = efm::RecordOfByte(records, byte);
        table[byte] = record != nullptr ? static_cast<T>(property(*record)) : none;
    }
    return table;
}

bool IdsFitAByte(const std::vector<efm::MaterialRecord>& records) {
    return std::all_of(records.begin(), records.end(), [](const efm::MaterialRecord& record) {
        return record.id >= 0 && record.id < kNoRecordByteId && record.id == std::floor(record.id);
    });
}

std::vector<DataArray> MaterialData(efm::Reader& reader, std::uint64_t count) {
    // IDs and eps only: descriptions, however long, are not read.
    const std::vector<efm::MaterialRecord> records = reader.MaterialRecords(0);
    const auto id = [](const efm::MaterialRecord& record) { return record.id; };
    const auto eps = [](const efm::MaterialRecord& record) { return record.eps; };
    const float nan = std::numeric_limits<float>::quiet_NaN();
    std::vector<DataArray> arrays;
    arrays.push_back({"material", "UInt8", count, [&reader, count](Output& out) {
                          Stream<unsigned char>(count, [&](std::uint64_t first, std::span<unsigned char> bytes) {
                              reader.ReadElementMaterials(first, bytes);
                          }, out);
                      }});
    arrays.push_back(IdsFitAByte(records)
                         ? ByteTable(reader, "material_id", "UInt8", count,
                                     RecordTable<std::uint8_t>(records, kNoRecordByteId, id))
                         : ByteTable(reader, "material_id", "Float32", count, RecordTable<float>(records, nan, id)));
    arrays.push_back(ByteTable(reader, "eps", "Float32", count, RecordTable<float>(records, nan, eps)));
    return arrays;
}

std::vector<DataArray> PointData(efm::Reader& reader) {
    const auto count = static_cast<std::uint64_t>(reader.header()[efm::Key::nodes_scalar]);
    return {Float32Array("potential", count, [&reader, count](Output& out) {
        Stream<float>(count, [&](std::uint64_t first, std::span<float> values) { reader.ReadNodeValues(first, values); }, out);
    })};
}

std::vector<DataArray> CellData(efm::Reader& reader) {
    std::vector<DataArray> arrays;
    const efm::Header& header = reader.header();
    if (const auto count = static_cast<std::uint64_t>(header[efm::Key::elements_material]); count > 0) {
        arrays = MaterialData(reader, count);
    }
    if (const auto count = static_cast<std::uint64_t>(header[efm::Key::elements_scalar]); count > 0) {
        arrays.push_back(Float32Array("property", count, [&reader, count](Output& out) {
            Stream<float>(count, [&](std::uint64_t first, std::span<float> values) {
                reader.ReadElementProperties(first, values);
            }, out);
        }));
    }
    return arrays;
}

std::vector<DataArray> CoordinateData(const efm::Reader& reader) {
    std::vector<DataArray> arrays;
    for (const efm::Axis axis : {efm::Axis::x, efm::Axis::y, efm::Axis::z}) {
        arrays.push_back(Coordinates(AxisName(axis), AxisCoordinates(reader, axis)));
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

void WriteVtr(efm::Reader& reader, const OutputDestination& output, const OutputControl& control) {
    const std::vector<DataArray> points = PointData(reader);
    const std::vector<DataArray> cells = CellData(reader);
    const std::vector<DataArray> coordinates = CoordinateData(reader);

    OutputFile file(output, {}, control);
    Output out{file, {}};
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
    file.Commit();
}

}  // namespace brenwick::fieldmap
