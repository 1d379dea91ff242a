// NaN and infinities inside a project's data. Mesh lines that are not finite numbers are
// refused (BadProjectData); a potential and a material matrix are the simulation's own results:
// they are written as read, with a warning. Nothing may crash or be damaged, and a field map
// that carries such values must show them to `brenwick-cli inspect`.
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
    ProjectContents contents = demo.contents;
};

TEST_F(NonFiniteValues, PotentialIsWrittenAsReadWithAWarning) {
    std::vector<float>& potential = contents.results.at(0).values;
    potential[7] = kNaN;
    potential[11] = kInfinity;
    potential[13] = -kInfinity;
    WriteProject(contents);
    const CliRun run = RunCli(ExportArguments());
    EXPECT_TRUE(run.exited && run.status == 0) << Describe(run) << run.err;
    // Node 7 of the 5 x 4 x 3 mesh is i = 2, j = 1, k = 0.
    EXPECT_NE(run.err.find("Warning: 3 node values of the potential are not finite numbers (the first at node 7, "
                           "i = 2, j = 1, k = 0)"),
              std::string::npos)
        << run.err;
    // The summary starts with it too, above the counts.
    EXPECT_NE(run.out.find("\ndone, with 1 warning: 3 node values of the potential are not finite numbers"),
              std::string::npos)
        << run.out;
    const efm::Report report = efm::InspectFile(output);
    ASSERT_TRUE(report.node_values);
    EXPECT_EQ(report.node_values->not_finite, 3u);
}

TEST_F(NonFiniteValues, MaterialMatrixGivesItsElementsAPropertyAndAWarning) {
    // Node 0 is the lower corner of element 0; its x component feeds that element alone. A
    // permittivity mode value turns an infinite m into 1 / m = 0 for one direction, so the
    // element's property stays finite; NaN, and density's m / g, stay what they are.
    for (const int quantity : {0, 3}) {
        for (const float value : {kNaN, kInfinity, -kInfinity}) {
            SCOPED_TRACE("quantity " + std::to_string(quantity) + ", value " + std::to_string(value));
            contents = demo.contents;
            contents.material_matrices.at(quantity)[0] = value;
            WriteProject(contents);
            std::vector<std::string> options{"--write-property"};
            if (quantity == 3) options.push_back("--density");
            const CliRun run = RunCli(ExportArguments(options));
            EXPECT_TRUE(run.exited && run.status == 0) << Describe(run) << run.err;
            const bool stays_non_finite = std::isnan(value) || quantity == 3;
            const std::string warning = "Warning: 1 elements have a material property that is not a finite number "
                                        "(the first is element 0, i = 0, j = 0, k = 0)";
            EXPECT_EQ(run.err.find(warning) != std::string::npos, stays_non_finite) << run.err;
            const efm::Report report = efm::InspectFile(output);
            EXPECT_TRUE(report.Valid());
            ASSERT_TRUE(report.element_properties);
            EXPECT_EQ(report.element_properties->not_finite, stays_non_finite ? 1u : 0u);
        }
    }
}

}  // namespace
}  // namespace integration
