#include "material_planes.h"

#include "efm/grid.h"
#include "element_properties.h"
#include "engine/engine_error.h"
#include "engine/reader/read_monitor.h"
#include "engine/support/large_array.h"
#include "engine/support/parallel.h"

#include <algorithm>
#include <atomic>
#include <mutex>
#include <optional>
#include <sstream>
#include <thread>

namespace brenwick {

namespace {

// About the size of all windows together: small enough to stay in the processor's last-level
// cache between a slab's read and its element loop, large enough that a slab's read and loop
// cost far more than starting them.
constexpr std::size_t kWindowBytes = std::size_t{8} << 20;

// The slabs of the element layers and who does which. Each thread reads a slab into its own
// window and computes its layers; the reader takes one read at a time, so while one thread
// reads, the others compute. Threads start once for the whole matrix (a thread started for
// each slab costs more than the slab in some virtual machines) and take the slabs in file
// order as they come free, so a thread the system holds back holds back no other.
class SlabWork {
public:
    SlabWork(OpenProject& project, unsigned quantity, float* properties, const std::stop_token& stop,
             const WorkProgress& progress)
        : project_(project),
          quantity_(quantity),
          properties_(properties),
          stop_(stop),
          progress_(progress),
          plane_nodes_(efm::NodeIndex(project.Dims(), 0, 0, 1)),
          layers_(static_cast<std::size_t>(project.Dims()[2] - 1)) {
        const std::size_t threads = std::max<std::size_t>(1, WorkerCount());
        per_slab_ = std::clamp<std::size_t>(kWindowBytes / threads / (3 * sizeof(float) * plane_nodes_), 1, layers_);
        slabs_ = (layers_ + per_slab_ - 1) / per_slab_;
        threads_ = std::min(threads, slabs_);
    }

    void Run() {
        ParallelFor(threads_, [&](std::size_t first, std::size_t end) {
            for (std::size_t thread = first; thread < end; ++thread) TakeSlabs();
        });
        Tell(static_cast<double>(layers_));
    }

private:
    // Reads and computes slabs until none is left, another thread has failed, or a stop.
    void TakeSlabs() {
        const auto window = MakeLargeArray<float>({"the material matrix planes", plane_nodes_ * per_slab_, 3});
        try {
            while (const std::optional<ElementLayers> slab = ReadNextSlab(window.get())) {
                ComputeElementLayers(window.get(), *slab, project_.Dims(), project_.Lines(), quantity_, properties_);
                Tell(static_cast<double>(layers_done_ += slab->end - slab->first));
            }
        } catch (...) {
            failed_ = true;
            throw;
        }
    }

    // Reads the planes of the next slab into the window, the slabs in file order; nothing when
    // none is left or another thread has failed.
    std::optional<ElementLayers> ReadNextSlab(float* window) {
        const std::lock_guard one_read_at_a_time(reading_);
        StopIfRequested(stop_);
        if (next_slab_ == slabs_ || failed_) return std::nullopt;
        const std::size_t first = next_slab_++ * per_slab_;
        const std::size_t count = std::min(per_slab_, layers_ - first);
        const ResultReader& reader = project_.Reader();
        if (!reader.writes_known) std::fill_n(window, 3 * plane_nodes_ * count, kUnwritten);
        // The read is about the first half of a slab's work, the element loop the second.
        const std::size_t done = layers_done_;
        int status = 0;
        {
            const ReadMonitor monitor(reader, project_.Handle(), stop_, [&](double share) {
                Tell(static_cast<double>(done) + 0.5 * share * static_cast<double>(count));
            });
            status =
                reader.functions.get_material_matrix_planes(&project_.Handle(), static_cast<int>(quantity_),
                                                            static_cast<int>(first), static_cast<int>(count), window);
        }
        if (status != 0) FailMaterialMatrix(quantity_, status, stop_);
        return ElementLayers{first, first + count};
    }

    // Progress is told on the thread that runs the export only.
    void Tell(double layers_done) const {
        if (progress_ && std::this_thread::get_id() == caller_) progress_(layers_done / static_cast<double>(layers_));
    }

    OpenProject& project_;
    unsigned quantity_;
    float* properties_;
    const std::stop_token& stop_;
    const WorkProgress& progress_;
    std::size_t plane_nodes_;
    std::size_t layers_;
    std::size_t per_slab_ = 1;
    std::size_t slabs_ = 0;
    std::size_t threads_ = 1;
    std::thread::id caller_ = std::this_thread::get_id();
    std::mutex reading_;
    std::size_t next_slab_ = 0;  // under reading_
    std::atomic<std::size_t> layers_done_{0};
    std::atomic<bool> failed_{false};
};

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
    if (project.Dims()[2] < 2) return;
    SlabWork(project, quantity, properties, stop, progress).Run();
}

}  // namespace brenwick
