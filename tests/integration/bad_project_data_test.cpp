// Projects that open but whose mesh, potential or material matrix cannot make a field map,
// handed to `brenwick-cli export`: each run ends with the engine's message naming the fault,
// and no file is made, changed or left behind.
#include "cli_export_fixture.h"

#include <limits>

using namespace brenwick;

namespace integration {
namespace {

const std::string kPotential = "2D/3D Results\\Potentials";

class BadProjectData : public CliExport {
protected:
    void ExpectRefusalOf(const std::string& message, const std::vector<std::string>& more = {}) const {
        WriteProject(contents);
        ExpectRefusal(ExportArguments(more), message);
    }

    std::vector<float>& Potential() { return contents.results.at(0).values; }

    ProjectContents contents = demo.contents;
};

TEST_F(BadProjectData, AxisWithoutLinesIsRefused) {
    contents.y_lines.clear();
    ExpectRefusalOf("The mesh has 5 x 0 x 3 lines; every axis needs at least one line.");
}

TEST_F(BadProjectData, NodeCountBeyondTheHeaderIntegersIsRefused) {
    // Only the mesh: 8e9 nodes, whose arrays no machine here could hold.
    ProjectContents huge;
    for (std::vector<double>* lines : {&huge.x_lines, &huge.y_lines, &huge.z_lines}) {
        for (int i = 0; i < 2000; ++i) lines->push_back(i * 1e-4);
    }
    WriteProject(huge);
    ExpectRefusal(ExportArguments(),
                  "The mesh of 2000 x 2000 x 2000 lines has more nodes than the export file can count (at most "
                  "2147483647).");
}

TEST_F(BadProjectData, MeshLinesThatAreNoFiniteNumbersAreRefused) {
    contents.x_lines[2] = std::numeric_limits<double>::quiet_NaN();
    ExpectRefusalOf("The x mesh line 2 is not a finite number.");
    contents = demo.contents;
    contents.z_lines[0] = -std::numeric_limits<double>::infinity();
    ExpectRefusalOf("The z mesh line 0 is not a finite number.");
    contents = demo.contents;
    contents.x_lines.front() = -1e308;
    contents.x_lines.back() = 1e308;
    ExpectRefusalOf("The x mesh lines from -1e+308 to 1e+308 span a length that is not a finite number.");
}

TEST_F(BadProjectData, MeshLinesThatDoNotIncreaseAreRefused) {
    contents.y_lines = {0, 2, 1, 3};
    ExpectRefusalOf("The y mesh lines are not strictly increasing: line 2 at 1 follows 2.");
    contents = demo.contents;
    contents.z_lines = {0, 1, 1};
    ExpectRefusalOf("The z mesh lines are not strictly increasing: line 2 at 1 follows 1.");
}

TEST_F(BadProjectData, MissingPotentialIsRefused) {
    contents.results.clear();
    ExpectRefusalOf("In RetrieveFieldData could not get information about potentials.Maybe the data is not stored in " +
                    kPotential);
}

TEST_F(BadProjectData, PotentialUnderAnotherTreePathIsRefused) {
    const std::string other = "2D/3D Results\\Potential";
    ExpectRefusalOf("In RetrieveFieldData could not get information about potentials.Maybe the data is not stored in " +
                        other,
                    {"--potential", other});
}

TEST_F(BadProjectData, PotentialShorterOrLongerThanTheMeshIsRefused) {
    Potential().pop_back();
    ExpectRefusalOf("In CST_Readout::RetrieveFieldData the result " + kPotential +
                    " holds 59 values, but the mesh has 60 nodes.");
    Potential().push_back(1.0f);
    Potential().push_back(2.0f);
    ExpectRefusalOf("In CST_Readout::RetrieveFieldData the result " + kPotential +
                    " holds 61 values, but the mesh has 60 nodes.");
}

TEST_F(BadProjectData, VectorFieldAsPotentialIsRefused) {
    contents.results.at(0).field_type = 2;
    Potential().resize(3 * Potential().size());
    ExpectRefusalOf("In CST_Readout::RetrieveFieldData the result " + kPotential +
                    " is a Real vector field; only a real scalar field can be exported as potential.");
}

TEST_F(BadProjectData, MaterialMatrixOfTheWrongLengthIsRefused) {
    contents.material_matrices.at(0).pop_back();
    ExpectRefusalOf(kPropertiesFailure);
    contents.material_matrices.at(0).resize(3 * 60 + 1);
    ExpectRefusalOf(kPropertiesFailure);
}

TEST_F(BadProjectData, MissingDensityMatrixIsRefusedInDensityMode) {
    contents.material_matrices.erase(3);
    ExpectRefusalOf(kPropertiesFailure, {"--density"});
}

}  // namespace
}  // namespace integration
