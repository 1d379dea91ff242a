#include "demo_export.h"

#include "demo/demo_project.h"

namespace test_efm {

using namespace brenwick;

MapContents DemoExport(const std::array<int, 3>& mesh) {
    DemoProject demo = MakeDemoProject(mesh);
    MapContents contents;
    contents.dims = mesh;
    contents.x = std::move(demo.contents.x_lines);
    contents.y = std::move(demo.contents.y_lines);
    contents.z = std::move(demo.contents.z_lines);
    contents.nodes = std::move(demo.contents.results.front().values);
    contents.bytes = std::move(demo.element_materials);
    for (const Material& material : demo.materials) {
        contents.records.push_back({material.ID, material.description, material.eps, material.mue, material.rho});
    }
    return contents;
}

}  // namespace test_efm
