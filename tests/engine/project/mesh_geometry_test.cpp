// A mesh the engine cannot export is refused as a failure of the project, which the front ends
// report like any other failure to open it.
#include "engine/project/mesh_geometry.h"
#include "engine/engine_error.h"
#include "tests/engine/engine_test_support.h"

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <string>
#include <vector>

namespace {

using namespace engine_test;

struct MeshCase {
    const char* description;
    std::array<int, 3> dims;
    std::vector<double> x, y, z;
    bool refused;
};

TEST(MeshGeometry, AMeshTheExportCannotHoldIsAProjectError) {
    const std::vector<double> usable{0, 1, 2};
    const MeshCase cases[] = {
        {"usable", {3, 3, 3}, usable, usable, usable, false},
        {"an axis without lines", {3, 0, 3}, usable, usable, usable, true},
        {"more nodes than a 32-bit count", {2000, 2000, 2000}, usable, usable, usable, true},
        {"lines that do not increase", {3, 3, 3}, usable, {0, 2, 1}, usable, true},
        {"a line that is no number", {3, 3, 3}, usable, usable, {0, NAN, 2}, true},
    };
    for (const MeshCase& mesh : cases) {
        SCOPED_TRACE(mesh.description);
        const std::string failure = FailureOf([&] {
            try {
                CheckMeshDims(mesh.dims);
                CheckMeshLines({mesh.x, mesh.y, mesh.z});
            } catch (const ProjectError&) {
                throw;
            } catch (const std::exception& other) {
                ADD_FAILURE() << "not a ProjectError: " << other.what();
            }
        });
        EXPECT_EQ(!failure.empty(), mesh.refused) << failure;
    }
}

}  // namespace
