// Fuzz target: any bytes as a material file (any encoding, broken XML, numbers beyond float,
// missing attributes), read by the engine's catalogue reader.
//
// The reader either fails with one of its two messages or gives a table; a file that does not
// parse adds no material. Whatever the table holds, the element assignment gives every element
// byte 0 or the byte of one of its materials, and the export file carries every record intact.
// Every number text the reader notes names one of its records, and judging them refuses the
// export with its message or gives warnings.
#include "efm/inspection.h"
#include "engine/export/export_file.h"
#include "engine/materials/material_assignment.h"
#include "engine/materials/material_file.h"
#include "engine/materials/material_numbers.h"
#include "engine/support/parallel.h"
#include "fuzz_support.h"
#include "tests/support/test_files.h"

#include <cstdint>
#include <cstring>
#include <limits>
#include <stdexcept>
#include <string>
#include <vector>

using namespace brenwick;

namespace {

struct Workspace {
    test_files::TempDir dir;
    std::string materials = dir / "materials.xml";
    std::string output = dir / "records.efm";
};

Workspace& TheWorkspace() {
    static Workspace workspace;
    return workspace;
}

struct Catalogue {
    std::vector<Material> materials;
    std::vector<NumberText> number_texts;
};

Catalogue ReadCatalogue(const std::string& path) {
    Catalogue catalogue;
    try {
        ReadMaterialFile(path, catalogue.materials, catalogue.number_texts);
    } catch (const std::runtime_error& failure) {
        const std::string text = failure.what();
        const bool parse_error = text == "PrepareMaterialData: Error during parsing Materials.xml file.";
        FuzzCheck(parse_error ||
                      text == "PrepareMaterialData: Warning. Count attribute doesn't represent actual number of materials.",
                  "unknown material file failure: " + text);
        FuzzCheck(!parse_error || catalogue.materials.empty(), "a material file that did not parse added materials");
    }
    return catalogue;
}

// Every number text names a record, and judging them refuses or warns, nothing else.
void CheckNumberTexts(const Workspace& workspace, const Catalogue& catalogue) {
    for (const NumberText& text : catalogue.number_texts) {
        FuzzCheck(text.record < catalogue.materials.size(), "a number text names no record");
    }
    for (const unsigned quantity : {kQuantityPermittivity, kQuantityDensity}) {
        try {
            JudgeNumberTexts(catalogue.number_texts, catalogue.materials, workspace.materials, quantity);
        } catch (const MaterialFileError&) {
        }
    }
}

// Element properties that meet every rule of the assignment: the zero rule, the threshold,
// ties, infinities, NaN, and each material's own values.
std::vector<float> ProbeProperties(const std::vector<Material>& materials) {
    constexpr float infinity = std::numeric_limits<float>::infinity();
    std::vector<float> properties{0.0f, 5e-5f, 1e-4f, -1.0f, 0.5f, 1.0f, 2.5f, 4.0f, 12.0f, 1e30f,
                                  infinity, -infinity, std::numeric_limits<float>::quiet_NaN()};
    for (const Material& material : materials) {
        properties.push_back(material.eps);
        properties.push_back(material.rho_set);
    }
    return properties;
}

void CheckAssignment(const std::vector<Material>& materials) {
    const std::vector<float> properties = ProbeProperties(materials);
    for (const int quantity : {0, 3}) {
        std::vector<unsigned char> bytes(properties.size());
        try {
            AssignMaterials(properties, materials, quantity, bytes);
        } catch (const MaterialFileError&) {
            FuzzCheck(materials.empty(), "the assignment failed with materials to choose from");
            continue;
        }
        FuzzCheck(bytes.size() == properties.size(), "the assignment gave another number of elements");
        for (const unsigned char byte : bytes) {
            bool known = byte == 0;
            for (const Material& material : materials) known = known || byte == MaterialByte(material.ID);
            FuzzCheck(known, "an element got a byte that belongs to no material");
        }
    }
}

bool SameBits(float a, float b) { return std::memcmp(&a, &b, sizeof a) == 0; }

void CheckRecordsRoundTrip(const Workspace& workspace, const std::vector<Material>& materials) {
    const std::vector<double> line{0.0};
    const std::vector<float> node{0.0f};
    efm::Blocks blocks;
    blocks.mesh_dims = {1, 1, 1};
    blocks.x_lines = blocks.y_lines = blocks.z_lines = line;
    blocks.node_values = node;
    const std::vector<efm::MaterialRecord> records = MaterialRecords(materials);
    blocks.materials = records;
    WriteExportFile(workspace.output, blocks);
    const efm::Report report = efm::InspectFile(workspace.output);
    FuzzCheck(report.Valid(), "an export file of these materials is malformed");
    FuzzCheck(report.materials.size() == materials.size(), "the export file lost material records");
    for (std::size_t index = 0; index < materials.size(); ++index) {
        const Material& written = materials[index];
        const efm::MaterialRecord& read = report.materials[index];
        FuzzCheck(read.description == written.description && SameBits(read.id, written.ID) &&
                      SameBits(read.eps, written.eps) && SameBits(read.mue, written.mue) &&
                      SameBits(read.rho, written.rho),
                  "material record " + std::to_string(index) + " changed on its way through the export file");
    }
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int* /*argc*/, char*** /*argv*/) {
    SetWorkerCount(1);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const Workspace& workspace = TheWorkspace();
    test_files::WriteBytes(workspace.materials, {data, size});
    const Catalogue catalogue = ReadCatalogue(workspace.materials);
    CheckNumberTexts(workspace, catalogue);
    CheckAssignment(catalogue.materials);
    CheckRecordsRoundTrip(workspace, catalogue.materials);
    return 0;
}
