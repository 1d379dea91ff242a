#include "inspection.h"

#include "garfield_limits.h"
#include "reader.h"

#include <algorithm>
#include <cmath>
#include <span>

namespace brenwick::efm {

namespace {

constexpr std::uint64_t kChunkValues = 1 << 20;

// Reads `count` values through read(first, span) in chunks and hands each chunk to `visit`.
template <typename T, typename Read, typename Visit>
void VisitChunks(std::uint64_t count, Read read, Visit visit) {
    std::vector<T> chunk(static_cast<std::size_t>(std::min(count, kChunkValues)));
    for (std::uint64_t done = 0; done < count;) {
        const auto n = static_cast<std::size_t>(std::min<std::uint64_t>(count - done, chunk.size()));
        read(done, std::span<T>(chunk.data(), n));
        visit(std::span<const T>(chunk.data(), n));
        done += n;
    }
}

template <typename T>
void AddToRange(ValueRange& range, std::span<const T> values) {
    for (const T raw : values) {
        const double value = raw;
        if (!std::isfinite(value)) {
            ++range.not_finite;
            continue;
        }
        range.min = range.count == 0 ? value : std::min(range.min, value);
        range.max = range.count == 0 ? value : std::max(range.max, value);
        ++range.count;
    }
}

template <typename T, typename Read>
ValueRange RangeOf(std::uint64_t count, Read read) {
    ValueRange range;
    VisitChunks<T>(count, read, [&](std::span<const T> values) { AddToRange(range, values); });
    return range;
}

// The reader has checked the lines and holds them; only their ranges are left to report.
void ReadMesh(const Reader& reader, Report& report) {
    for (std::size_t axis = 0; axis < 3; ++axis) {
        ValueRange range;
        AddToRange(range, std::span<const double>(reader.Lines(static_cast<Axis>(axis))));
        report.mesh[axis] = range;
    }
}

void ReadBlocks(Reader& reader, Report& report) {
    const Header& h = reader.header();
    ReadMesh(reader, report);
    report.node_values = RangeOf<float>(static_cast<std::uint64_t>(h[Key::nodes_scalar]),
                                        [&](std::uint64_t first, std::span<float> out) { reader.ReadNodeValues(first, out); });
    if (report.node_values->not_finite > 0) {
        report.warnings.push_back(std::to_string(report.node_values->not_finite) + " node values are not finite");
    }
    if (h[Key::elements_scalar] > 0) {
        report.element_properties = RangeOf<float>(
            static_cast<std::uint64_t>(h[Key::elements_scalar]),
            [&](std::uint64_t first, std::span<float> out) { reader.ReadElementProperties(first, out); });
    }
    MapFacts facts;
    VisitChunks<unsigned char>(
        static_cast<std::uint64_t>(h[Key::elements_material]),
        [&](std::uint64_t first, std::span<unsigned char> out) { reader.ReadElementMaterials(first, out); },
        [&](std::span<const unsigned char> bytes) { CountElements(bytes, facts.elements_per_byte); });
    for (unsigned byte = 0; byte < facts.elements_per_byte.size(); ++byte) {
        if (facts.elements_per_byte[byte] > 0) report.element_material_counts[byte] = facts.elements_per_byte[byte];
    }
    report.materials = reader.MaterialRecords();
    if (!h.HasMesh()) report.warnings.push_back("the file holds only potentials: usable as a weighting field only");
    facts.file_size = report.file_size;
    facts.has_element_materials = h.HasMesh();
    facts.records = report.materials;
    const std::vector<std::string> garfield = GarfieldWarnings(facts);
    report.warnings.insert(report.warnings.end(), garfield.begin(), garfield.end());
}

}  // namespace

Report Inspect(std::istream& in, std::uint64_t file_size) {
    Report report;
    report.file_size = file_size;
    try {
        // The header's own problems are all reported, not only the first.
        if (file_size >= kHeaderSize) {
            std::string block(kHeaderSize, '\0');
            if (in.read(block.data(), kHeaderSize)) {
                report.header = ParseHeaderBlock(block);
                report.problems = HeaderProblems(*report.header);
                report.expected_size = LayoutOf(*report.header).records;
                if (!report.Valid()) return report;
                // Known also when the size is wrong, so that the report can say what it should be.
                report.expected_size = ImpliedFileSize(in, file_size, *report.header);
            }
        }
        // Refuses what every reader of the format refuses: a size other than the implied one,
        // unusable mesh lines.
        Reader reader(in, file_size);
        ReadBlocks(reader, report);
    } catch (const FormatError& problem) {
        report.problems.push_back(problem.what());
    }
    return report;
}

Report InspectFile(const std::string& path) {
    try {
        detail::OpenedFile file(path);
        return Inspect(file.stream, file.file_size);
    } catch (const FormatError& problem) {
        Report report;
        report.problems.push_back(problem.what());
        return report;
    }
}

}  // namespace brenwick::efm
