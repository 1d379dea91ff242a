// The fixture of the command-line tests: a scratch directory with a small valid project (the
// demo detector on 5 x 4 x 3 lines) and its material file, and the promises every run of
// `brenwick-cli export` must keep.
#ifndef BRENWICK_TESTS_CLI_EXPORT_FIXTURE_H
#define BRENWICK_TESTS_CLI_EXPORT_FIXTURE_H

#include "cli_process.h"
#include "demo/demo_project.h"
#include "efm/inspection.h"
#include "tests/support/test_files.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace integration {

using namespace brenwick;

inline constexpr const char* kMaterialParseFailure = "PrepareMaterialData: Error during parsing Materials.xml file.";
inline constexpr const char* kCountMismatch =
    "PrepareMaterialData: Warning. Count attribute doesn't represent actual number of materials.";
inline constexpr const char* kPropertiesFailure = "Failed to read material properties from CST.";

std::string OpenFailure(const std::string& project);
std::string OutputOpenFailure(const std::string& output);
std::string OutputWriteFailure(const std::string& output);
std::string InputRefusal(const std::string& output);

class CliExport : public testing::Test {
protected:
    CliExport();

    void WriteProject(const ProjectContents& contents) const;
    void WriteMaterials(const std::vector<Material>& catalogue) const;
    // export PROJECT --output OUTPUT --materials MATERIALS, then `more`.
    std::vector<std::string> ExportArguments(const std::vector<std::string>& more = {}) const;

    // Runs brenwick-cli twice, first without a file at `output`, then with an earlier field
    // map there, and expects both runs to refuse as ExpectRefusalOnce says.
    void ExpectRefusal(const std::vector<std::string>& arguments, const std::string& message,
                       const CliSetup& setup = {}) const;
    // Runs brenwick-cli once and expects exit status 1, `message` on standard error with at most
    // its cause on one line after it, and no file made, changed or left behind anywhere in the
    // scratch directory.
    void ExpectRefusalOnce(const std::vector<std::string>& arguments, const std::string& message,
                           const CliSetup& setup = {}) const;
    // Runs the export and expects exit status 0, nothing but warnings on standard error and no
    // change in the scratch directory but `output`; returns the inspection of `output`.
    efm::Report ExpectExport(const std::vector<std::string>& arguments, const CliSetup& setup = {}) const;
    // Expects exit status 0 and nothing but warnings on standard error.
    static void ExpectSuccess(const CliRun& run);

    test_files::TempDir dir;
    const std::string project = dir / "project.cst";
    const std::string materials = dir / "materials.xml";
    const std::string output = dir / "field.efm";
    const DemoProject demo = MakeDemoProject({5, 4, 3});
};

}  // namespace integration

#endif
