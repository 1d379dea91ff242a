#include "readout.h"

#include "efm/garfield_limits.h"
#include "efm/grid.h"
#include "element_properties.h"
#include "export_file.h"
#include "failure_cause.h"
#include "grid.h"
#include "large_array.h"
#include "material_assignment.h"
#include "output/output_target.h"
#include "platform/ansi_path.h"
#include "read_monitor.h"
#include "value_checks.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <exception>
#include <iostream>
#include <limits>
#include <optional>
#include <sstream>
#include <stdexcept>

using namespace brenwick;

namespace {

// With the cause: what the file system says of the path, else the reader's status.
[[noreturn]] void FailToOpen(const std::string& project_file, const ResultReader& reader, int status) {
    std::ostringstream message;
    message << "Failed to open the CST project file: " << project_file;
    std::string cause = InputFileProblem("The project file", project_file);
    if (cause.empty()) {
        cause = "The " + DescribeReader(reader) + " could not read it as a project (status " + std::to_string(status) +
                ").";
    }
    throw FailureWithCause(message.str(), cause);
}

// Only on Windows: the reader takes the path in the ANSI code page.
[[noreturn]] void FailToSpell(const std::string& project_file) {
    throw std::runtime_error(
        "Failed to open the CST project file: " + project_file +
        "\nThe result reader takes paths in the system's code page, which cannot spell this one, and "
        "the file has no short name; move the project to a folder whose name it can spell.");
}

[[noreturn]] void FailFieldData(const char* first_piece, const std::string& result_path) {
    std::ostringstream message;
    message << first_piece << "Maybe the data is not stored in " << result_path;
    throw std::runtime_error(message.str());
}

const char* const info_failure = "In RetrieveFieldData could not get information about potentials.";
const char* const read_failure = "In CST_Readout::RetrieveFieldData could not get information about potentials.";

// What the engine says of each field type: its name, and the line it writes before the value count.
struct FieldTypeTexts {
    const char* name;
    const char* line;
};

// The texts of a field type code; none for a code that names no field type.
const FieldTypeTexts* TextsOf(int code) {
    static const FieldTypeTexts complex_vector{"Complex vector field",
                                               "Number of data found (Re,Im for E_x,E_y,E_z -> 6x#nodes): "};
    static const FieldTypeTexts real_vector{"Real vector field",
                                            "This is a real vector field (Re for E_x,E_y,E_z -> 3x#nodes): "};
    static const FieldTypeTexts complex_scalar{"Complex scalar field",
                                               "This is a complex scalar field (RE,Im -> 2x#nodes): "};
    static const FieldTypeTexts real_scalar{"Real scalar field",
                                            "Number of data found (real scalar field -> #nodes): "};
    switch (code) {
    case BRENWICK_COMPLEX_VECTOR_FIELD: return &complex_vector;
    case BRENWICK_REAL_VECTOR_FIELD: return &real_vector;
    case BRENWICK_COMPLEX_SCALAR_FIELD: return &complex_scalar;
    case BRENWICK_REAL_SCALAR_FIELD: return &real_scalar;
    default: return nullptr;
    }
}

// `count` lines from `first` on, into `axis`.
void TakeLines(const std::vector<double>& lines, std::size_t first, std::size_t count, const char* purpose,
               std::vector<double>& axis) {
    ResizeLargeArray(axis, {purpose, count});
    std::copy_n(lines.begin() + static_cast<std::ptrdiff_t>(first), count, axis.begin());
}

// The text that stands for every failure of the element properties but a stop; a lack of
// memory keeps it as its first line and says what could not be allocated.
[[noreturn]] void FailProperties(const std::exception_ptr& failure) {
    const std::string text = "Failed to read material properties from CST.";
    try {
        std::rethrow_exception(failure);
    } catch (const ExportCancelled&) {
        throw;
    } catch (const OutOfMemory& lack) {
        throw OutOfMemory(text + "\n" + lack.what());
    } catch (...) {
        throw std::runtime_error(text);
    }
}

constexpr float kUnwritten = std::numeric_limits<float>::quiet_NaN();

}  // namespace

CST_Readout::CST_Readout(std::string project_file, ReadoutContext context)
    : project_path(project_file),
      reader(context.reader ? std::move(context.reader) : LinkedReader()),
      log(context.log ? std::move(context.log) : StandardOutputLog()),
      notices(std::move(context.notices)) {
    Log("CST DLL Version is: " + std::to_string(ReaderVersion(*reader)));

    project_handle = CSTProjHandle{};
    const std::optional<std::string> reader_path = AnsiPathFor(project_file);
    if (!reader_path) FailToSpell(project_file);
    reader_status = reader->functions.open_project(reader_path->c_str(), &project_handle);
    if (reader_status != 0) FailToOpen(project_file, *reader, reader_status);
    try {
        ReadMesh();
    } catch (...) {
        // The object will not exist, so nobody else could close the project.
        reader->functions.close_project(&project_handle);
        throw;
    }
    project_open = true;
}

void CST_Readout::ReadMesh() {
    mesh_dims = std::make_unique<int[]>(3);
    reader_status = reader->functions.get_hex_mesh_info(&project_handle, mesh_dims.get());
    if (reader_status != 0) FailToOpen(project_path, *reader, reader_status);
    CheckMeshDims(MeshDims());

    const auto nx = static_cast<std::size_t>(mesh_dims[0]);
    const auto ny = static_cast<std::size_t>(mesh_dims[1]);
    const auto nz = static_cast<std::size_t>(mesh_dims[2]);
    std::vector<double> lines;
    ResizeLargeArray(lines, {"the mesh lines", nx + ny + nz});
    reader_status = reader->functions.get_hex_mesh(&project_handle, lines.data());
    if (reader_status != 0) FailToOpen(project_path, *reader, reader_status);

    TakeLines(lines, 0, nx, "the x mesh lines", x_lines);
    TakeLines(lines, nx, ny, "the y mesh lines", y_lines);
    TakeLines(lines, nx + ny, nz, "the z mesh lines", z_lines);
    CheckMeshLines(MeshLines{x_lines, y_lines, z_lines});
    Log("xlines: " + std::to_string(x_lines.size()) + "\t ylines: " + std::to_string(y_lines.size()) +
        "\t zlines: " + std::to_string(z_lines.size()));
}

CST_Readout::~CST_Readout() {
    try {
        CloseProject();
    } catch (const std::exception& failure) {
        std::cerr << failure.what() << std::endl;
    } catch (...) {
    }
}

void CST_Readout::CloseProject() {
    if (!project_open) return;
    project_open = false;
    reader_status = reader->functions.close_project(&project_handle);
    if (reader_status != 0) throw std::runtime_error("Failed to close the CST project.");
    Log("Prejct was closed without problems");
}

std::string CST_Readout::GetPotentialName() const { return potential_name; }

void CST_Readout::RetrieveFieldData(std::string result_path) {
    int count = 0;
    reader_status = reader->functions.get_3d_hex_result_size(&project_handle, result_path.c_str(), 0, &count);
    if (reader_status != 0) FailFieldData(info_failure, result_path);
    int type = 0;
    reader_status = reader->functions.get_3d_hex_result_info(&project_handle, result_path.c_str(), 0, 1, 0, 0, &type, 0);
    if (reader_status != 0) FailFieldData(info_failure, result_path);

    field_type = type;
    const FieldTypeTexts* texts = TextsOf(type);
    if (texts != nullptr) Log(texts->line + std::to_string(count));

    const std::size_t node_count = efm::NodeCount(MeshDims());
    std::ostringstream refusal;
    if (texts == nullptr) {
        refusal << "In CST_Readout::RetrieveFieldData the result " << result_path << " has the unknown field type code "
                << type << "; only a real scalar field can be exported as potential.";
    } else if (type != BRENWICK_REAL_SCALAR_FIELD) {
        refusal << "In CST_Readout::RetrieveFieldData the result " << result_path << " is a " << texts->name
                << "; only a real scalar field can be exported as potential.";
    } else if (count < 0 || static_cast<std::size_t>(count) != node_count) {
        refusal << "In CST_Readout::RetrieveFieldData the result " << result_path << " holds " << count
                << " values, but the mesh has " << node_count << " nodes.";
    }
    if (!refusal.str().empty()) throw std::runtime_error(refusal.str());

    // A reader whose writes are known fills the potential in place. Any other gets room for six
    // values per counted value, as such a reader may expect; only the first value per node is
    // kept, so only those are filled with NaN, for the values the reader does not write.
    const bool direct = reader->writes_known;
    std::unique_ptr<float[]> buffer;
    if (!direct) {
        buffer = MakeLargeArray<float>({"the potential as the reader delivers it", node_count, 6});
        std::fill_n(buffer.get(), node_count, kUnwritten);
    }
    ResizeLargeArray(field_values, {"the potential", node_count});
    float* destination = direct ? field_values.data() : buffer.get();
    {
        const ReadMonitor monitor(*reader, project_handle, stop_token, Progress(ExportWork::Potential));
        reader_status = reader->functions.get_3d_hex_result(&project_handle, result_path.c_str(), 0, destination);
    }
    if (reader_status != 0) {
        field_values.clear();         // partly overwritten; never to be exported
        StopIfRequested(stop_token);  // a read the monitor stopped
        FailFieldData(read_failure, result_path);
    }
    if (!direct) std::copy_n(buffer.get(), node_count, field_values.begin());
}

void CST_Readout::PrepareMaterialData() { ReadMaterialFile(material_file, materials); }

void CST_Readout::LoadMaterialMatrix(unsigned quantity) {
    if (material_matrix) return;
    const std::size_t node_count = efm::NodeCount(MeshDims());
    auto matrix = MakeLargeArray<float>({"the material matrix", node_count, 3});
    if (!reader->writes_known) std::fill_n(matrix.get(), 3 * node_count, kUnwritten);
    {
        const ReadMonitor monitor(*reader, project_handle, stop_token, Progress(ExportWork::MaterialMatrix));
        reader_status =
            reader->functions.get_material_matrix_hex_mesh(&project_handle, static_cast<int>(quantity), matrix.get());
    }
    if (reader_status != 0) {
        StopIfRequested(stop_token);  // a read the monitor stopped
        std::ostringstream message;
        message << "Didn't found quantity " << quantity << " due to error " << reader_status << " and skip it.";
        throw std::runtime_error(message.str());
    }
    material_matrix = std::move(matrix);
    matrix_quantity = quantity;
}

void CST_Readout::RetrieveMaterialProperties() {
    const std::array<int, 3> dims = MeshDims();
    const std::size_t element_count = efm::ElementCount(dims);
    element_properties.clear();
    ResizeLargeArray(element_properties, {"the element properties", element_count});
    if (element_count == 0) return;

    const auto quantity = static_cast<unsigned>(material_quantity);
    LoadMaterialMatrix(quantity);
    if (quantity > 3) {
        for (std::size_t e = 0; e < element_count; ++e) Log("unsupported material!");
    }
    ComputeElementProperties(material_matrix.get(), dims, MeshLines{x_lines, y_lines, z_lines}, quantity,
                             element_properties.data(), stop_token, Progress(ExportWork::ElementProperties));
}

std::array<double, 3> CST_Readout::GetNodeMaterialProperty(int i, int j, int k, int superindex, unsigned quantity) {
    LoadMaterialMatrix(quantity);
    return GetMaterialFromIndex(material_matrix.get(), i, j, k, superindex, quantity);
}

std::array<double, 3> CST_Readout::GetMaterialFromIndex(const float* matrix, int i, int j, int k, int superindex,
                                                        unsigned quantity) const {
    const std::size_t node_count = efm::NodeCount(MeshDims());
    if (superindex < 0 || static_cast<std::size_t>(superindex) >= node_count) {
        std::ostringstream message;
        message << "In CST_Readout::GetMaterialFromIndex the superindex is greater #nodes or negative!\n"
                << "(i = " << i << ",j = " << j << ",k =  " << k << ")";
        throw std::runtime_error(message.str());
    }
    InvFactors inv;
    CalculateInv(i, j, k, inv.x, inv.y, inv.z, UsesDualOverPrimary(quantity));
    const auto s = static_cast<std::size_t>(superindex);
    if (quantity > 3) Log("unsupported material!");
    return ConvertNodeValues({matrix[s], matrix[s + node_count], matrix[s + 2 * node_count]}, inv, quantity);
}

void CST_Readout::CalculateInv(int i, int j, int k, double& inv_x, double& inv_y, double& inv_z,
                               bool dual_over_primary) const {
    if (i == mesh_dims[0] - 1 || j == mesh_dims[1] - 1 || k == mesh_dims[2] - 1) {
        std::ostringstream message;
        message << "You asked to calculate inv for an index, which is to high!\n"
                << " i=" << i << ", j=" << j << ", k=" << k
                << "\n This makes no sense since you only need inv to calculate element properties!"
                << "\n So give the element indexes at lower element boundary.";
        throw std::runtime_error(message.str());
    }
    auto inside = [](int index, int lines) { return index >= 0 && index < lines - 1; };
    if (!inside(i, mesh_dims[0]) || !inside(j, mesh_dims[1]) || !inside(k, mesh_dims[2])) {
        throw std::out_of_range("invalid vector<T> subscript");
    }
    const InvFactors inv =
        InvFromLengths(AxisLengthsAt(x_lines, static_cast<std::size_t>(i)), AxisLengthsAt(y_lines, static_cast<std::size_t>(j)),
                       AxisLengthsAt(z_lines, static_cast<std::size_t>(k)), dual_over_primary);
    inv_x = inv.x;
    inv_y = inv.y;
    inv_z = inv.z;
}

void CST_Readout::DiscardMaterialDataOfOtherQuantity() {
    if (material_matrix && matrix_quantity != static_cast<unsigned>(material_quantity)) {
        material_matrix.reset();
        element_properties.clear();
    }
}

void CST_Readout::AssignElementMaterials() {
    DiscardMaterialDataOfOtherQuantity();
    if (element_properties.empty()) {
        Begin(ExportWork::MaterialMatrix);
        try {
            RetrieveMaterialProperties();
        } catch (...) {
            element_properties.clear();  // so that the next export reads them again
            FailProperties(std::current_exception());
        }
    }
    if (materials.empty()) PrepareMaterialData();
    Begin(ExportWork::Assignment);
    AssignMaterials(element_properties, materials, material_quantity, element_materials, stop_token,
                    Progress(ExportWork::Assignment));
}

void CST_Readout::RefuseInputAsOutput(const OutputDestination& output) const {
    if (SameFile(output, project_path) || SameFile(output, material_file)) {
        throw std::runtime_error("BinaryFileFormat::Save: Error. Refusing to overwrite an input file:  " +
                                 output.Name());
    }
}

void CST_Readout::SaveBinaryFile(std::string output_path, bool write_only_potentials, bool write_material_property) {
    Export(OutputDestination(std::move(output_path)), write_only_potentials, write_material_property);
}

void CST_Readout::SaveBinaryFileToStandardOutput(bool write_only_potentials, bool write_material_property) {
    Export(OutputDestination::StandardOutput(), write_only_potentials, write_material_property);
}

void CST_Readout::Export(const OutputDestination& destination, bool write_only_potentials,
                         bool write_material_property) {
    RefuseInputAsOutput(destination);
    plan = PlanExport(write_only_potentials, write_material_property);
    if (!write_only_potentials) AssignElementMaterials();
    Begin(ExportWork::Potential);
    RetrieveFieldData(potential_name);

    std::vector<efm::MaterialRecord> records;
    efm::Blocks blocks;
    blocks.mesh_dims = MeshDims();
    blocks.node_values = field_values;
    if (!write_only_potentials) {
        blocks.x_lines = x_lines;
        blocks.y_lines = y_lines;
        blocks.z_lines = z_lines;
        if (write_material_property) blocks.element_properties = element_properties;
        blocks.element_materials = element_materials;
        records = MaterialRecords(materials);
        blocks.materials = records;
    }
    ExportSummary summary = Summarize(destination.Name(), blocks);
    Begin(ExportWork::File);
    WriteExportFile(destination, blocks, stop_token, notices, Progress(ExportWork::File));
    last_export = std::move(summary);
    // A finished export is reported as finished: its output is in place, whatever was asked
    // in the meantime.
    if (progress_listener) progress_listener({ExportStage::Finished, 1.0});
}

// Each piece weighs the bytes it reads, computes over or writes: the matrix 12 and the
// potential 4 per node; per element the property computation 12 read and 4 written, the
// assignment 4 and 1; the file its size.
ExportPlan CST_Readout::PlanExport(bool write_only_potentials, bool write_material_property) const {
    const std::uint64_t nodes = efm::NodeCount(MeshDims());
    const std::uint64_t elements = efm::ElementCount(MeshDims());
    ExportPlan export_plan;
    std::uint64_t file_bytes = 4 * nodes;
    if (!write_only_potentials) {
        const bool other_quantity = material_matrix && matrix_quantity != static_cast<unsigned>(material_quantity);
        if (element_properties.empty() || other_quantity) {
            if (!material_matrix || other_quantity) export_plan.Add(ExportWork::MaterialMatrix, 12 * nodes);
            export_plan.Add(ExportWork::ElementProperties, 16 * elements);
        }
        export_plan.Add(ExportWork::Assignment, 5 * elements);
        file_bytes += (write_material_property ? 5 : 1) * elements;
    }
    export_plan.Add(ExportWork::Potential, 4 * nodes);
    export_plan.Add(ExportWork::File, file_bytes);
    return export_plan;
}

ExportSummary CST_Readout::Summarize(const std::string& output_path, const efm::Blocks& blocks) const {
    ExportSummary summary;
    summary.project_path = project_path;
    summary.output_path = output_path;
    summary.file_size = efm::FileSize(blocks);
    summary.nodes = efm::NodeCount(MeshDims());
    summary.elements = efm::ElementCount(MeshDims());
    summary.only_potentials = blocks.x_lines.empty();  // every mesh has lines unless they are left out
    summary.records.assign(blocks.materials.begin(), blocks.materials.end());
    efm::CountElements(blocks.element_materials, summary.elements_per_byte);

    if (auto warning = NonFiniteNodeWarning(blocks.node_values, MeshDims())) summary.warnings.push_back(*warning);
    if (!summary.only_potentials) {
        if (auto warning = NonFiniteElementWarning(element_properties, MeshDims())) summary.warnings.push_back(*warning);
    }
    efm::MapFacts facts;
    facts.file_size = summary.file_size;
    facts.has_element_materials = !summary.only_potentials;
    facts.records = summary.records;
    facts.elements_per_byte = summary.elements_per_byte;
    const std::vector<std::string> garfield = efm::GarfieldWarnings(facts);
    summary.warnings.insert(summary.warnings.end(), garfield.begin(), garfield.end());
    return summary;
}

// Each piece of work begins only while the export is still wanted.
void CST_Readout::Begin(ExportWork work) const {
    StopIfRequested(stop_token);
    if (progress_listener) progress_listener({StageOf(work), plan.Done(work, 0)});
}

WorkProgress CST_Readout::Progress(ExportWork work) const {
    if (!progress_listener) return {};
    return [this, work](double fraction) { progress_listener({StageOf(work), plan.Done(work, fraction)}); };
}
