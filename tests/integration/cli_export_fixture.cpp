#include "cli_export_fixture.h"

#include "dir_snapshot.h"
#include "readers/hdf5/project_writer.h"

#include <algorithm>
#include <sstream>

using namespace brenwick;

namespace integration {

std::string OpenFailure(const std::string& project) { return "Failed to open the CST project file: " + project; }

std::string OutputOpenFailure(const std::string& output) {
    return "BinaryFileFormat::Save: Error. Unable to open/create file:  " + output;
}

std::string OutputWriteFailure(const std::string& output) {
    return "BinaryFileFormat::Save: Error. Unable to write file:  " + output;
}

std::string InputRefusal(const std::string& output) {
    return "BinaryFileFormat::Save: Error. Refusing to overwrite an input file:  " + output;
}

CliExport::CliExport() { WriteMaterials(demo.materials); }

void CliExport::WriteProject(const ProjectContents& contents) const { WriteProjectFile(project, contents); }

void CliExport::WriteMaterials(const std::vector<Material>& catalogue) const { WriteMaterialFile(materials, catalogue); }

std::vector<std::string> CliExport::ExportArguments(const std::vector<std::string>& more) const {
    std::vector<std::string> arguments{"export", project, "--output", output, "--materials", materials};
    arguments.insert(arguments.end(), more.begin(), more.end());
    return arguments;
}

void CliExport::ExpectRefusal(const std::vector<std::string>& arguments, const std::string& message,
                              const CliSetup& setup) const {
    {
        SCOPED_TRACE("without an earlier output");
        std::filesystem::remove(output);
        ExpectRefusalOnce(arguments, message, setup);
    }
    SCOPED_TRACE("with an earlier output");
    std::vector<unsigned char> earlier(1500);
    for (std::size_t i = 0; i < earlier.size(); ++i) earlier[i] = static_cast<unsigned char>(i * 7);
    test_files::WriteBytes(output, earlier);
    ExpectRefusalOnce(arguments, message, setup);
}

void CliExport::ExpectRefusalOnce(const std::vector<std::string>& arguments, const std::string& message,
                                  const CliSetup& setup) const {
    const Snapshot before = TakeSnapshot(dir.path());
    const CliRun run = RunCli(arguments, setup);
    EXPECT_TRUE(run.exited && run.status == 1) << Describe(run) << "\nstandard error:\n" << run.err;
    // The fixed message, then at most its cause on a line of its own.
    EXPECT_EQ(run.err.substr(0, message.size() + 1), message + "\n");
    const std::string cause = run.err.substr(std::min(run.err.size(), message.size() + 1));
    EXPECT_TRUE(cause.empty() || cause.find('\n') == cause.size() - 1) << run.err;
    EXPECT_EQ(Differences(before, TakeSnapshot(dir.path())), "");
}

efm::Report CliExport::ExpectExport(const std::vector<std::string>& arguments, const CliSetup& setup) const {
    const std::string output_name = std::filesystem::path(output).filename().string();
    Snapshot before = TakeSnapshot(dir.path());
    ExpectSuccess(RunCli(arguments, setup));
    Snapshot after = TakeSnapshot(dir.path());
    EXPECT_EQ(after.count(output_name), 1u);
    before.erase(output_name);
    after.erase(output_name);
    EXPECT_EQ(Differences(before, after), "");
    return efm::InspectFile(output);
}

void CliExport::ExpectSuccess(const CliRun& run) {
    EXPECT_TRUE(run.exited && run.status == 0) << Describe(run) << "\nstandard error:\n" << run.err;
    std::istringstream err_lines(run.err);
    for (std::string line; std::getline(err_lines, line);) EXPECT_EQ(line.rfind("Warning: ", 0), 0u) << line;
}

}  // namespace integration
