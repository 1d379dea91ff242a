#include "open_project.h"

#include "engine/engine_error.h"
#include "engine/support/failure_cause.h"
#include "engine/support/large_array.h"
#include "platform/ansi_path.h"

#include <algorithm>
#include <exception>
#include <iostream>
#include <optional>

namespace brenwick {

namespace {

// With the cause: what the file system says of the path, else the reader's status.
[[noreturn]] void FailToOpen(const std::string& project_file, const ResultReader& reader, int status) {
    std::string cause = InputFileProblem("The project file", project_file);
    if (cause.empty()) {
        cause =
            "The " + DescribeReader(reader) + " " + ReaderStatusWords(status, "could not read it as a project") + ".";
    }
    throw ProjectError(OpenFailureMessage(project_file), cause);
}

// Only on Windows: the reader takes the path in the ANSI code page.
[[noreturn]] void FailToSpell(const std::string& project_file) {
    throw ProjectError(OpenFailureMessage(project_file) +
                       "\nThe result reader takes paths in the system's code page, which cannot spell this one, and "
                       "the file has no short name; move the project to a folder whose name it can spell.");
}

// `count` lines from `first` on, into `axis`.
void TakeLines(const std::vector<double>& lines, std::size_t first, std::size_t count, const char* purpose,
               std::vector<double>& axis) {
    ResizeLargeArray(axis, {purpose, count});
    std::copy_n(lines.begin() + static_cast<std::ptrdiff_t>(first), count, axis.begin());
}

}  // namespace

std::string OpenFailureMessage(const std::string& project_file) {
    return "Failed to open the CST project file: " + project_file;
}

// The state is taken before the reader opens the file, so that a change while it opens shows
// as a change.
OpenProject::OpenProject(const std::string& project_file, std::shared_ptr<const ResultReader> reader, LogSink log)
    : project_path_(project_file),
      file_state_(FileStateOf(project_file)),
      reader_(std::move(reader)),
      log_(std::move(log)) {
    log_("CST DLL Version is: " + std::to_string(ReaderVersion(*reader_)));

    const std::optional<std::string> reader_path = AnsiPathFor(project_file);
    if (!reader_path) FailToSpell(project_file);
    const int reader_status = reader_->functions.open_project(reader_path->c_str(), &project_handle_);
    if (reader_status != 0) FailToOpen(project_file, *reader_, reader_status);
    try {
        ReadMesh();
    } catch (...) {
        // The object will not exist, so nobody else could close the project.
        reader_->functions.close_project(&project_handle_);
        throw;
    }
    open_ = true;
}

void OpenProject::ReadMesh() {
    int reader_status = reader_->functions.get_hex_mesh_info(&project_handle_, mesh_dims_.data());
    if (reader_status != 0) FailToOpen(project_path_, *reader_, reader_status);
    CheckMeshDims(mesh_dims_);

    const auto nx = static_cast<std::size_t>(mesh_dims_[0]);
    const auto ny = static_cast<std::size_t>(mesh_dims_[1]);
    const auto nz = static_cast<std::size_t>(mesh_dims_[2]);
    std::vector<double> lines;
    ResizeLargeArray(lines, {"the mesh lines", nx + ny + nz});
    reader_status = reader_->functions.get_hex_mesh(&project_handle_, lines.data());
    if (reader_status != 0) FailToOpen(project_path_, *reader_, reader_status);

    TakeLines(lines, 0, nx, "the x mesh lines", x_lines_);
    TakeLines(lines, nx, ny, "the y mesh lines", y_lines_);
    TakeLines(lines, nx + ny, nz, "the z mesh lines", z_lines_);
    CheckMeshLines(Lines());
    log_("xlines: " + std::to_string(x_lines_.size()) + "\t ylines: " + std::to_string(y_lines_.size()) +
         "\t zlines: " + std::to_string(z_lines_.size()));
}

bool OpenProject::FileChanged() const { return file_state_ && FileStateOf(project_path_) != file_state_; }

OpenProject::~OpenProject() {
    try {
        Close();
    } catch (const std::exception& failure) {
        std::cerr << failure.what() << std::endl;
    } catch (...) {
    }
}

void OpenProject::Close() {
    if (!open_) return;
    open_ = false;
    const int reader_status = reader_->functions.close_project(&project_handle_);
    if (reader_status != 0) throw ProjectError("Failed to close the CST project.");
    log_("Prejct was closed without problems");
}

}  // namespace brenwick
