// CST_Readout: the export engine, one object per opened project.
//
// Constructing it opens the project through the result reader and reads the mesh;
// SaveBinaryFile completes the data an export needs and writes the export file;
// destroying it closes the project. Every export reads the project file and the material file as
// they are then: a project file changed or replaced since it was opened is opened again, and a
// changed material file is read again.
#ifndef BRENWICK_READOUT_H
#define BRENWICK_READOUT_H

#include "engine/export/export_plan.h"
#include "engine/materials/material_data.h"
#include "engine/materials/material_file.h"
#include "engine/project/field_data.h"
#include "engine/project/open_project.h"
#include "engine/reader/reader_functions.h"
#include "engine_defaults.h"
#include "export_control.h"
#include "export_summary.h"
#include "log_sink.h"

#include <array>
#include <memory>
#include <stop_token>
#include <string>

namespace brenwick {

// Only declared here: the readout's parts stay behind its face.
struct ResultReader;
class OpenProject;
class ExportPlan;
class OutputDestination;
enum class ExportWork;

// What an export says when it found the project file changed since it was opened.
inline constexpr const char* kReopened = "The project file changed since it was opened; it was opened again.";
// Why an export fails when the project file changed while the export read it.
inline constexpr const char* kChangedWhileRead = "The project file changed while it was read";

// What a readout works with besides its project; the defaults are the classic program's.
struct ReadoutContext {
    LogSink log;                                 // the informational lines; empty: standard output
    std::shared_ptr<const ResultReader> reader;  // null: the reader linked into the program
    LogSink notices;  // what an export says while it waits for its output (a FIFO's reader); empty: nothing
};

}  // namespace brenwick

class CST_Readout {
public:
    // Opens the project and reads the mesh (brenwick::OpenProject). Throws brenwick::ProjectError
    // "Failed to open the CST project file: <path>" when the reader fails, and one naming the
    // counts for a mesh that cannot be exported (engine_error.h).
    explicit CST_Readout(std::string project_file, brenwick::ReadoutContext context = {});

    // Closes the project if CloseProject has not done so. Never throws: a failure to close
    // is reported on standard error, since a destructor that throws can end the program.
    virtual ~CST_Readout();

    CST_Readout(const CST_Readout&) = delete;
    CST_Readout& operator=(const CST_Readout&) = delete;

    // Closes the project now. Throws brenwick::ProjectError "Failed to close the CST project."
    // when the reader fails; the project counts as closed either way (a close is never retried).
    void CloseProject();

    std::string GetPotentialName() const;

    // Reads the result at result_path, one value per node, for the next export to write.
    void RetrieveFieldData(std::string result_path);
    // Reads the catalogue from material_file, in place of the one held.
    void PrepareMaterialData();
    // Computes every element's property from the project's material matrix.
    void RetrieveMaterialProperties();
    // The three node values (x, y, z) of node (i, j, k) for a quantity code; reads the
    // material matrix first if it is absent.
    std::array<double, 3> GetNodeMaterialProperty(int i, int j, int k, int superindex, unsigned quantity);
    std::array<double, 3> GetMaterialFromIndex(const float* matrix, int i, int j, int k, int superindex,
                                               unsigned quantity) const;
    void CalculateInv(int i, int j, int k, double& inv_x, double& inv_y, double& inv_z, bool dual_over_primary) const;
    // Gives every element the byte of its nearest catalogue material, reading the catalogue
    // first when material_file is not the file it was read from as that file is now.
    void AssignElementMaterials();
    // Writes the export file, as brenwick::OutputFile writes a path: an existing file is
    // replaced only once the new one is complete wherever that can be done safely, and a path
    // naming a descriptor of the process (/dev/stdout) is written into as it stands. An output
    // that is the project or the material file, in any spelling, is refused before anything
    // is read or written.
    // A project file changed or replaced since it was opened is first opened again (kReopened,
    // logged and noted in the summary), everything read from it before dropped; one that is gone
    // or cannot be opened fails the export with OpenFailureMessage and its cause. A project file
    // that changes while the export reads it fails the export with kChangedWhileRead. Either way
    // the output is left as it was.
    void SaveBinaryFile(std::string output_path, bool write_only_potentials, bool write_material_property);
    // Writes the same export to the program's standard output, which must already be open;
    // refused in the same way when standard output is open on an input.
    void SaveBinaryFileToStandardOutput(bool write_only_potentials, bool write_material_property);

    // Receives the progress of every later export; an empty listener stops the reports.
    void SetProgressListener(brenwick::ExportProgressListener listener);
    // Later exports stop with brenwick::ExportCancelled, leaving the output as it was, once
    // `stop` is asked to stop (from any thread): between stages, inside the element loops,
    // inside the reads of a reader that offers the read monitor (result_reader.h) and while a
    // temporary file is written. An output written where it is (see
    // brenwick::OutputFile) is written to the end once it was opened.
    void SetCancellation(std::stop_token stop);
    // What the last successful export wrote; empty before the first.
    const brenwick::ExportSummary& LastExport() const;

    // Settings the front ends assign directly.
    int material_quantity = 0;  // 0 relative permittivity, 3 density
    std::string material_file;
    std::string potential_name = brenwick::kDefaultPotentialName;

private:
    // The parts that do the work: the open project (reader, handle, mesh), its potential and its
    // material data, and what the export under way needs. Each export assembles its file from
    // them (brenwick::ExportAssembly).
    struct Parts;
    std::unique_ptr<Parts> parts_;

    // The open project; throws OpenFailureMessage when opening it again failed.
    brenwick::OpenProject& Project();
    const brenwick::OpenProject& Project() const;
    // Opens the project again when its file changed since it was opened, or when the last
    // attempt failed; returns whether it did.
    bool OpenCurrentProject();
    void RefuseInputAsOutput(const brenwick::OutputDestination& output) const;
    void Export(const brenwick::OutputDestination& destination, bool write_only_potentials,
                bool write_material_property);
    brenwick::ExportPlan PlanExport(bool write_only_potentials, bool write_material_property) const;
    void Begin(brenwick::ExportWork work) const;
    brenwick::WorkProgress Progress(brenwick::ExportWork work) const;
};

#endif
