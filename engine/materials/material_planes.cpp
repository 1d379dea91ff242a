#include "material_planes.h"

#include "efm/grid.h"
#include "element_properties.h"
#include "engine/engine_error.h"
#include "engine/reader/read_monitor.h"
#include "engine/support/large_array.h"

#include <algorithm>
#include <sstream>

namespace brenwick {

namespace {

// About the size of the window: small enough to stay in the processor's last-level cache
// between its read and the element loop, large enough that a slab's read and loop cost far more
// than starting them, and that the threads of the loop meet rarely (a thread the system holds
// back holds back the others at the end of every slab).
constexpr std::size_t kWindowBytes = std::size_t{8} << 20;

// How many node planes of `plane_nodes` nodes each one slab reads, for `layers` element layers.
std::size_t PlanesPerSlab(std::size_t plane_nodes, std::size_t layers) {
    return std::clamp<std::size_t>(kWindowBytes / (3 * sizeof(float) * plane_nodes), 1, layers);
}

}  // namespace

bool ReadsMaterialPlanes(const ResultReader& reader) {
    return static_cast<bool>(reader.functions.get_material_matrix_planes);
}

void FailMaterialMatrix(unsigned quantity, int status, const std::stop_token& stop) {
    StopIfRequested(stop);  // a read the monitor stopped
    std::ostringstream message;
    message << "Didn't found quantity " << quantity << " due to error " << status << " and skip it.";
    throw ProjectError(message.str(), "The result reader " + ReaderStatusWords(status, "failed") + ".");
}

void ComputePropertiesByPlanes(OpenProject& project, unsigned quantity, float* properties, const std::stop_token& stop,
                               const WorkProgress& progress) {
    const ResultReader& reader = project.Reader();
    const std::array<int, 3>& dims = project.Dims();
    const std::size_t plane_nodes = efm::NodeIndex(dims, 0, 0, 1);
    const auto layers = static_cast<std::size_t>(dims[2] - 1);
    const std::size_t per_slab = PlanesPerSlab(plane_nodes, layers);
    const auto window = MakeLargeArray<float>({"the material matrix planes", plane_nodes * per_slab, 3});
    // The read is about the first half of a slab's work, the element loop the second.
    const auto tell = [&](double layers_done) {
        if (progress) progress(layers_done / static_cast<double>(layers));
    };

    for (std::size_t first = 0; first < layers;) {
        StopIfRequested(stop);
        const std::size_t count = std::min(per_slab, layers - first);
        if (!reader.writes_known) std::fill_n(window.get(), 3 * plane_nodes * count, kUnwritten);
        int status = 0;
        {
            const ReadMonitor monitor(reader, project.Handle(), stop, [&](double share) {
                tell(static_cast<double>(first) + 0.5 * share * static_cast<double>(count));
            });
            status = reader.functions.get_material_matrix_planes(&project.Handle(), static_cast<int>(quantity),
                                                                 static_cast<int>(first), static_cast<int>(count),
                                                                 window.get());
        }
        if (status != 0) FailMaterialMatrix(quantity, status, stop);
        ComputeElementLayers(window.get(), {first, first + count}, dims, project.Lines(), quantity, properties);
        first += count;
        tell(static_cast<double>(first));
    }
}

}  // namespace brenwick
