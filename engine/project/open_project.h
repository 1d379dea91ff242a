// The project a readout has open: the result reader that opened it, the project's handle and
// its mesh. Every reader call on the project goes through the handle held here.
#ifndef BRENWICK_OPEN_PROJECT_H
#define BRENWICK_OPEN_PROJECT_H

#include "engine/log_sink.h"
#include "engine/reader/reader_functions.h"
#include "mesh_geometry.h"
#include "platform/file_state.h"

#include <array>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace brenwick {

// "Failed to open the CST project file: <path>", what every project that cannot be opened says.
std::string OpenFailureMessage(const std::string& project_file);

class OpenProject {
public:
    // Logs the reader's version, opens the project at `project_file` and reads its mesh, logging
    // the line counts. Throws OpenFailureMessage when the reader fails, and names the counts or
    // the axis of a mesh that cannot be exported; a project that opened is closed again before
    // such a failure leaves. Notes the state of the project file first (FileChanged).
    OpenProject(const std::string& project_file, std::shared_ptr<const ResultReader> reader_, LogSink log_);

    // Closes the project if Close has not done so. Never throws: a failure to close is reported
    // on standard error, since a destructor that throws can end the program.
    ~OpenProject();
    OpenProject(const OpenProject&) = delete;
    OpenProject& operator=(const OpenProject&) = delete;

    // Closes the project now and logs that it did. Throws "Failed to close the CST project."
    // when the reader fails; the project counts as closed either way (a close is never retried).
    void Close();

    const std::string& Path() const { return project_path_; }
    // Whether the project file was changed, replaced or removed since the project was opened, so
    // that what the reader reads would not be that file as it is now. A path that names no file
    // the program can examine (one that only the reader understands) never counts as changed.
    bool FileChanged() const;
    const ResultReader& Reader() const { return *reader_; }
    // What every reader call on the project receives.
    CSTProjHandle& Handle() { return project_handle_; }

    // nx, ny, nz and the lines of the three axes.
    const std::array<int, 3>& Dims() const { return mesh_dims_; }
    AxisLines Lines() const { return {x_lines_, y_lines_, z_lines_}; }

private:
    void ReadMesh();

    std::string project_path_;
    std::optional<FileState> file_state_;  // of the project file as it was opened
    std::shared_ptr<const ResultReader> reader_;
    LogSink log_;
    CSTProjHandle project_handle_{};
    std::array<int, 3> mesh_dims_{};
    std::vector<double> x_lines_;
    std::vector<double> y_lines_;
    std::vector<double> z_lines_;
    bool open_ = false;
};

}  // namespace brenwick

#endif
