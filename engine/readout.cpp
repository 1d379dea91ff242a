#include "readout.h"

#include "efm/grid.h"
#include "engine/export/export_assembly.h"
#include "engine/export/export_file.h"
#include "engine/export/export_plan.h"
#include "engine/materials/element_properties.h"
#include "engine/materials/material_data.h"
#include "engine/project/field_data.h"
#include "engine/project/mesh_geometry.h"
#include "engine/project/open_project.h"
#include "engine/reader/reader_functions.h"
#include "engine/support/failure_cause.h"
#include "engine/support/large_array.h"
#include "engine/support/parallel.h"
#include "engine_error.h"
#include "output/output_destination.h"
#include "output/output_target.h"

#include <cstdint>
#include <exception>
#include <optional>
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

struct CST_Readout::Parts {
    Parts(std::string path, ReadoutContext context)
        : project_path(std::move(path)),
          reader(context.reader ? std::move(context.reader) : LinkedReader()),
          log(context.log ? std::move(context.log) : StandardOutputLog()),
          notices(std::move(context.notices)),
          project(std::in_place, project_path, reader, log) {}

    std::string project_path;
    std::shared_ptr<const ResultReader> reader;
    LogSink log;
    LogSink notices;
    std::optional<OpenProject> project;  // none once opening it again failed
    FieldData field;
    MaterialData material_data;

    ExportProgressListener progress_listener;
    ExportPlan plan;  // of the export under way
    std::stop_token stop_token;
    ExportSummary last_export;
};

CST_Readout::CST_Readout(std::string project_file, ReadoutContext context)
    : parts_(std::make_unique<Parts>(std::move(project_file), std::move(context))) {}

CST_Readout::~CST_Readout() = default;

void CST_Readout::SetProgressListener(ExportProgressListener listener) {
    parts_->progress_listener = std::move(listener);
}

void CST_Readout::SetCancellation(std::stop_token stop) { parts_->stop_token = std::move(stop); }

const ExportSummary& CST_Readout::LastExport() const { return parts_->last_export; }

void CST_Readout::CloseProject() {
    if (parts_->project) parts_->project->Close();
}

const OpenProject& CST_Readout::Project() const {
    if (!parts_->project) throw ProjectError(OpenFailureMessage(parts_->project_path));
    return *parts_->project;
}

OpenProject& CST_Readout::Project() { return const_cast<OpenProject&>(std::as_const(*this).Project()); }

// The old project is closed before the file is opened again: a reader may otherwise hand the
// new open the old one's structures, as HDF5 does for a file it has open.
bool CST_Readout::OpenCurrentProject() {
    if (parts_->project && !parts_->project->FileChanged()) return false;
    parts_->project.reset();
    parts_->field = FieldData();
    parts_->material_data.DiscardProjectData();
    if (std::string cause = InputFileProblem("The project file", parts_->project_path); !cause.empty()) {
        throw ProjectError(OpenFailureMessage(parts_->project_path), cause);
    }
    parts_->project.emplace(parts_->project_path, parts_->reader, parts_->log);
    parts_->log(kReopened);
    return true;
}

std::string CST_Readout::GetPotentialName() const { return potential_name; }

void CST_Readout::RetrieveFieldData(std::string result_path) {
    parts_->field.Retrieve(Project(), result_path, parts_->log, parts_->stop_token, Progress(ExportWork::Potential));
}

void CST_Readout::PrepareMaterialData() { parts_->material_data.ReadCatalogue(material_file); }

void CST_Readout::RetrieveMaterialProperties() {
    parts_->material_data.ComputeProperties(Project(), static_cast<unsigned>(material_quantity), parts_->log,
                                            parts_->stop_token, Progress(ExportWork::MaterialMatrix),
                                            Progress(ExportWork::ElementProperties));
}

std::array<double, 3> CST_Readout::GetNodeMaterialProperty(int i, int j, int k, int superindex, unsigned quantity) {
    parts_->material_data.LoadMatrix(Project(), quantity, parts_->stop_token, Progress(ExportWork::MaterialMatrix));
    return GetMaterialFromIndex(parts_->material_data.Matrix(), i, j, k, superindex, quantity);
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
    if (!SupportedQuantity(quantity)) parts_->log("unsupported material!");
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
    const AxisLines lines = Project().Lines();
    const InvFactors inv = InvFromLengths(AxisLengthsAt(lines.x, static_cast<std::size_t>(i)),
                                          AxisLengthsAt(lines.y, static_cast<std::size_t>(j)),
                                          AxisLengthsAt(lines.z, static_cast<std::size_t>(k)), dual_over_primary);
    inv_x = inv.x;
    inv_y = inv.y;
    inv_z = inv.z;
}

void CST_Readout::AssignElementMaterials() {
    const auto quantity = static_cast<unsigned>(material_quantity);
    parts_->material_data.DiscardOtherQuantity(quantity);
    if (parts_->material_data.ElementProperties().empty()) {
        Begin(ExportWork::MaterialMatrix);
        try {
            RetrieveMaterialProperties();
        } catch (...) {
            FailProperties(std::current_exception());
        }
    }
    if (parts_->material_data.CatalogueOutdated(material_file)) PrepareMaterialData();
    Begin(ExportWork::Assignment);
    parts_->material_data.Assign(quantity, parts_->stop_token, Progress(ExportWork::Assignment));
}

void CST_Readout::RefuseInputAsOutput(const OutputDestination& output) const {
    if (SameFile(output, parts_->project_path) || SameFile(output, material_file)) {
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
    parts_->plan = PlanExport(write_only_potentials, write_material_property);
    if (!write_only_potentials) AssignElementMaterials();
    Begin(ExportWork::Potential);
    RetrieveFieldData(potential_name);
    // What was read must be the file as it was opened; the next export opens it again.
    if (Project().FileChanged()) {
        throw ProjectError(kChangedWhileRead, "The project file " + parts_->project_path +
                                                  " was written to or replaced during the export; "
                                                  "export again to read it as it is now.");
    }

    const ExportChoices choices{write_only_potentials, write_material_property,
                                static_cast<unsigned>(material_quantity)};
    const ExportAssembly assembly(Project(), parts_->field, parts_->material_data, choices);
    CheckExportHeader(assembly.Blocks());
    Begin(ExportWork::File);
    // The summary's counts read the arrays while the file is written: the write keeps one
    // processor busy copying into the system's cache, and the counts need no more than another.
    ExportSummary summary;
    RunBeside(
        [&] {
            WriteExportFile(destination, assembly.Blocks(), parts_->stop_token, parts_->notices,
                            Progress(ExportWork::File));
        },
        [&] { summary = assembly.Summary(destination.Name()); });
    if (reopened) summary.notes.emplace_back(kReopened);
    parts_->last_export = std::move(summary);
    // A finished export is reported as finished: its output is in place, whatever was asked
    // in the meantime.
    if (parts_->progress_listener) parts_->progress_listener({ExportStage::Finished, 1.0});
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
        if (parts_->material_data.NeedsProperties(quantity)) {
            // A matrix read plane by plane is read within the element loop's piece.
            const bool streams = parts_->material_data.StreamsMatrix(Project().Reader(), quantity);
            if (!streams && parts_->material_data.NeedsMatrix(quantity))
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
    StopIfRequested(parts_->stop_token);
    if (parts_->progress_listener) parts_->progress_listener({StageOf(work), parts_->plan.Done(work, 0)});
}

WorkProgress CST_Readout::Progress(ExportWork work) const {
    if (!parts_->progress_listener) return {};
    return [this, work](double fraction) {
        parts_->progress_listener({StageOf(work), parts_->plan.Done(work, fraction)});
    };
}
