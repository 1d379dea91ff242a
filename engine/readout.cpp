#include "readout.h"

#include "efm/grid.h"
#include "engine/export/export_assembly.h"
#include "engine/export/export_file.h"
#include "engine/materials/element_properties.h"
#include "engine/project/grid.h"
#include "engine/support/failure_cause.h"
#include "engine/support/large_array.h"
#include "engine_error.h"
#include "output/output_target.h"

#include <cstdint>
#include <exception>
#include <sstream>
#include <stdexcept>
#include <utility>

using namespace brenwick;

namespace {

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
        throw ProjectError(text);
    }
}

}  // namespace

CST_Readout::CST_Readout(std::string project_file, ReadoutContext context)
    : project_path(std::move(project_file)),
      reader(context.reader ? std::move(context.reader) : LinkedReader()),
      log(context.log ? std::move(context.log) : StandardOutputLog()),
      notices(std::move(context.notices)),
      project(std::in_place, project_path, reader, log) {}

CST_Readout::~CST_Readout() = default;

void CST_Readout::CloseProject() {
    if (project) project->Close();
}

const OpenProject& CST_Readout::Project() const {
    if (!project) throw ProjectError(OpenFailureMessage(project_path));
    return *project;
}

OpenProject& CST_Readout::Project() { return const_cast<OpenProject&>(std::as_const(*this).Project()); }

// The old project is closed before the file is opened again: a reader may otherwise hand the
// new open the old one's structures, as HDF5 does for a file it has open.
bool CST_Readout::OpenCurrentProject() {
    if (project && !project->FileChanged()) return false;
    project.reset();
    field = FieldData();
    material_data.DiscardProjectData();
    if (std::string cause = InputFileProblem("The project file", project_path); !cause.empty()) {
        throw ProjectError(OpenFailureMessage(project_path), cause);
    }
    project.emplace(project_path, reader, log);
    log(kReopened);
    return true;
}

std::string CST_Readout::GetPotentialName() const { return potential_name; }

void CST_Readout::RetrieveFieldData(std::string result_path) {
    field.Retrieve(Project(), result_path, log, stop_token, Progress(ExportWork::Potential));
}

void CST_Readout::PrepareMaterialData() { material_data.ReadCatalogue(material_file); }

void CST_Readout::RetrieveMaterialProperties() {
    material_data.ComputeProperties(Project(), static_cast<unsigned>(material_quantity), log, stop_token,
                                    Progress(ExportWork::MaterialMatrix), Progress(ExportWork::ElementProperties));
}

std::array<double, 3> CST_Readout::GetNodeMaterialProperty(int i, int j, int k, int superindex, unsigned quantity) {
    material_data.LoadMatrix(Project(), quantity, stop_token, Progress(ExportWork::MaterialMatrix));
    return GetMaterialFromIndex(material_data.Matrix(), i, j, k, superindex, quantity);
}

std::array<double, 3> CST_Readout::GetMaterialFromIndex(const float* matrix, int i, int j, int k, int superindex,
                                                        unsigned quantity) const {
    const std::size_t node_count = efm::NodeCount(Project().Dims());
    if (superindex < 0 || static_cast<std::size_t>(superindex) >= node_count) {
        std::ostringstream message;
        message << "In CST_Readout::GetMaterialFromIndex the superindex is greater #nodes or negative!\n"
                << "(i = " << i << ",j = " << j << ",k =  " << k << ")";
        throw EngineError(message.str());
    }
    InvFactors inv;
    CalculateInv(i, j, k, inv.x, inv.y, inv.z, UsesDualOverPrimary(quantity));
    const auto s = static_cast<std::size_t>(superindex);
    if (quantity > 3) log("unsupported material!");
    return ConvertNodeValues({matrix[s], matrix[s + node_count], matrix[s + 2 * node_count]}, inv, quantity);
}

void CST_Readout::CalculateInv(int i, int j, int k, double& inv_x, double& inv_y, double& inv_z,
                               bool dual_over_primary) const {
    const std::array<int, 3>& mesh_dims = Project().Dims();
    if (i == mesh_dims[0] - 1 || j == mesh_dims[1] - 1 || k == mesh_dims[2] - 1) {
        std::ostringstream message;
        message << "You asked to calculate inv for an index, which is to high!\n"
                << " i=" << i << ", j=" << j << ", k=" << k
                << "\n This makes no sense since you only need inv to calculate element properties!"
                << "\n So give the element indexes at lower element boundary.";
        throw EngineError(message.str());
    }
    auto inside = [](int index, int lines) { return index >= 0 && index < lines - 1; };
    if (!inside(i, mesh_dims[0]) || !inside(j, mesh_dims[1]) || !inside(k, mesh_dims[2])) {
        throw std::out_of_range("invalid vector<T> subscript");
    }
    const MeshLines lines = Project().Lines();
    const InvFactors inv = InvFromLengths(AxisLengthsAt(lines.x, static_cast<std::size_t>(i)),
                                          AxisLengthsAt(lines.y, static_cast<std::size_t>(j)),
                                          AxisLengthsAt(lines.z, static_cast<std::size_t>(k)), dual_over_primary);
    inv_x = inv.x;
    inv_y = inv.y;
    inv_z = inv.z;
}

void CST_Readout::AssignElementMaterials() {
    const auto quantity = static_cast<unsigned>(material_quantity);
    material_data.DiscardOtherQuantity(quantity);
    if (material_data.ElementProperties().empty()) {
        Begin(ExportWork::MaterialMatrix);
        try {
            RetrieveMaterialProperties();
        } catch (...) {
            FailProperties(std::current_exception());
        }
    }
    if (material_data.CatalogueOutdated(material_file)) PrepareMaterialData();
    Begin(ExportWork::Assignment);
    material_data.Assign(quantity, stop_token, Progress(ExportWork::Assignment));
}

void CST_Readout::RefuseInputAsOutput(const OutputDestination& output) const {
    if (SameFile(output, project_path) || SameFile(output, material_file)) {
        throw ExportFileError(kSaveError + std::string("Refusing to overwrite an input file:  ") + output.Name());
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
    const bool reopened = OpenCurrentProject();
    plan = PlanExport(write_only_potentials, write_material_property);
    if (!write_only_potentials) AssignElementMaterials();
    Begin(ExportWork::Potential);
    RetrieveFieldData(potential_name);
    // What was read must be the file as it was opened; the next export opens it again.
    if (Project().FileChanged()) {
        throw ProjectError(kChangedWhileRead, "The project file " + project_path +
                                                  " was written to or replaced during the export; "
                                                  "export again to read it as it is now.");
    }

    const ExportChoices choices{write_only_potentials, write_material_property,
                                static_cast<unsigned>(material_quantity)};
    const ExportAssembly assembly(Project(), field, material_data, choices);
    CheckExportHeader(assembly.Blocks());
    ExportSummary summary = assembly.Summary(destination.Name());
    if (reopened) summary.notes.emplace_back(kReopened);
    Begin(ExportWork::File);
    WriteExportFile(destination, assembly.Blocks(), stop_token, notices, Progress(ExportWork::File));
    last_export = std::move(summary);
    // A finished export is reported as finished: its output is in place, whatever was asked
    // in the meantime.
    if (progress_listener) progress_listener({ExportStage::Finished, 1.0});
}

// Each piece weighs the bytes it reads, computes over or writes: the matrix 12 and the
// potential 4 per node; per element the property computation 12 read and 4 written, the
// assignment 4 and 1; the file its size.
ExportPlan CST_Readout::PlanExport(bool write_only_potentials, bool write_material_property) const {
    const std::uint64_t nodes = efm::NodeCount(Project().Dims());
    const std::uint64_t elements = efm::ElementCount(Project().Dims());
    const auto quantity = static_cast<unsigned>(material_quantity);
    ExportPlan export_plan;
    std::uint64_t file_bytes = 4 * nodes;
    if (!write_only_potentials) {
        if (material_data.NeedsProperties(quantity)) {
            // A matrix read plane by plane is read within the element loop's piece.
            const bool streams = material_data.StreamsMatrix(Project().Reader(), quantity);
            if (!streams && material_data.NeedsMatrix(quantity))
                export_plan.Add(ExportWork::MaterialMatrix, 12 * nodes);
            export_plan.Add(ExportWork::ElementProperties, 16 * elements + (streams ? 12 * nodes : 0));
        }
        export_plan.Add(ExportWork::Assignment, 5 * elements);
        file_bytes += (write_material_property ? 5 : 1) * elements;
    }
    export_plan.Add(ExportWork::Potential, 4 * nodes);
    export_plan.Add(ExportWork::File, file_bytes);
    return export_plan;
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
