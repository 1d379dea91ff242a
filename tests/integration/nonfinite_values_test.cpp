// NaN and infinities inside a project's data. Mesh lines that are not finite numbers are
// refused (BadProjectData), and so is a potential that holds such values; values in the
// material matrix are the simulation's own results and pass through the engine's rules. Either
// way nothing may crash or be damaged, and a field map that carries such values must show them
// to `brenwick-cli inspect`.
#include "cli_export_fixture.h"
#include "dir_snapshot.h"

#include <cmath>
#include <limits>

using namespace brenwick;

namespace integration {
namespace {

constexpr float kNaN = std::numeric_limits<float>::quiet_NaN();
constexpr float kInfinity = std::numeric_limits<float>::infinity();

class NonFiniteValues : public CliExport {
protected:
    // Runs the export; a refusal must keep the refusal's promises, and a written file is
    // returned inspected.
    std::optional<efm::Report> ExportOrRefusal(const std::vector<std::string>& arguments) const {
        WriteProject(contents);
        const Snapshot before = TakeSnapshot(dir.path());
        const CliRun run = RunCli(arguments);
        EXPECT_TRUE(run.exited && (run.status == 0 || run.status == 1)) << Describe(run) << "\n" << run.err;
        if (run.exited && run.status == 0) return efm::InspectFile(output);
        EXPECT_NE(run.err, "");
        EXPECT_EQ(Differences(before, TakeSnapshot(dir.path())), "");
        return std::nullopt;
    }

    ProjectContents contents = demo.contents;
};

TEST_F(NonFiniteValues, PotentialIsRefused) {
    std::vector<float>& potential = contents.results.at(0).values;
    potential[7] = kNaN;
    potential[11] = kInfinity;
    potential[13] = -kInfinity;
    WriteProject(contents);
    const Snapshot before = TakeSnapshot(dir.path());
    const CliRun run = RunCli(ExportArguments());
    EXPECT_TRUE(run.exited && run.status == 1) << Describe(run);
    EXPECT_EQ(run.err,
              "In CST_Readout::RetrieveFieldData the result 2D/3D Results\\Potentials holds 3 values that are not "
              "finite numbers (the first at node 7); Garfield++ cannot drift through them.\n");
    EXPECT_EQ(Differences(before, TakeSnapshot(dir.path())), "");
}

TEST_F(NonFiniteValues, MaterialMatrixIsRefusedOrItsElementShowsItsProperty) {
    // Node 0 is the lower corner of element 0; its x component feeds that element alone. A
    // permittivity mode value turns an infinite m into 1 / m = 0 for one direction, so the
    // element's property stays finite; NaN, and density's m / g, stay what they are.
    for (const int quantity : {0, 3}) {
        for (const float value : {kNaN, kInfinity, -kInfinity}) {
            SCOPED_TRACE("quantity " + std::to_string(quantity) + ", value " + std::to_string(value));
            contents = demo.contents;
            contents.material_matrices.at(quantity)[0] = value;
            std::vector<std::string> options{"--write-property"};
            if (quantity == 3) options.push_back("--density");
            const std::optional<efm::Report> report = ExportOrRefusal(ExportArguments(options));
            if (!report) continue;
            EXPECT_TRUE(report->Valid());
            ASSERT_TRUE(report->element_properties);
            const bool stays_non_finite = std::isnan(value) || quantity == 3;
            EXPECT_EQ(report->element_properties->not_finite, stays_non_finite ? 1u : 0u);
        }
    }
}

}  // namespace
}  // namespace integration
