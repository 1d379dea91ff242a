// How long an export takes to end once a stop is asked for, at a chosen moment: inside the read
// of the material matrix, the element property computation, the material assignment, the read
// of the potential or the writing of the file. The stop comes from another thread, as the
// dialog's Cancel does, a little after the export has reached the moment, so that it falls
// between the points where the export looks for it. Prints the seconds from the request to the
// end.
//
//   stop_latency PROJECT MATERIALS OUTPUT MOMENT      MOMENT: matrix, properties, assignment,
//                                                    potential or writing
#include "engine/export_control.h"
#include "engine/reader/reader_functions.h"
#include "engine/readout.h"

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <iostream>
#include <map>
#include <memory>
#include <mutex>
#include <stop_token>
#include <string>
#include <thread>

using namespace brenwick;
using Clock = std::chrono::steady_clock;

namespace {

std::atomic<bool> matrix_read{false};

// The built-in reader, noting when its read of the material matrix (or of its first planes) has
// returned, so that the computation of the element properties can be told from the read inside
// their stage.
int NotedMatrixRead(CSTProjHandle* handle, int quantity, float* matrix) {
    const int status = CST_GetMaterialMatrixHexMesh(handle, quantity, matrix);
    matrix_read = true;
    return status;
}

int NotedPlaneRead(CSTProjHandle* handle, int quantity, int first_plane, int plane_count, float* planes) {
    const int status = Brenwick_GetMaterialMatrixPlanes(handle, quantity, first_plane, plane_count, planes);
    matrix_read = true;
    return status;
}

struct Moment {
    ExportStage stage;
    bool after_matrix_read;
    int report;  // the stop comes with this report of the stage, well inside it
};

const std::map<std::string, Moment> kMoments{
    {"matrix", {ExportStage::ReadingProperties, false, 10}},
    {"properties", {ExportStage::ReadingProperties, true, 3}},
    {"assignment", {ExportStage::AssigningMaterials, false, 3}},
    {"potential", {ExportStage::ReadingPotential, false, 10}},
    {"writing", {ExportStage::Writing, false, 5}},
};

}  // namespace

int main(int argc, char** argv) {
    if (argc != 5 || kMoments.count(argv[4]) == 0) {
        std::cerr << "usage: stop_latency PROJECT MATERIALS OUTPUT matrix|properties|assignment|potential|writing\n";
        return 2;
    }
    const Moment moment = kMoments.at(argv[4]);
    auto reader = std::make_shared<ResultReader>(*LinkedReader());
    reader->functions.get_material_matrix_hex_mesh.Replace(&NotedMatrixRead);
    reader->functions.get_material_matrix_planes.Replace(&NotedPlaneRead);
    ReadoutContext context;
    context.log = [](const std::string&) {};
    context.reader = reader;
    CST_Readout engine(argv[1], std::move(context));
    engine.material_file = argv[2];

    std::stop_source stop;
    Clock::time_point asked;
    std::mutex mutex;
    std::condition_variable_any reached;
    bool at_moment = false;
    int reports = 0;
    engine.SetCancellation(stop.get_token());
    engine.SetProgressListener([&](const ExportProgress& progress) {
        if (progress.stage != moment.stage || (moment.after_matrix_read && !matrix_read)) return;
        if (++reports != moment.report) return;
        const std::lock_guard lock(mutex);
        at_moment = true;
        reached.notify_one();
    });
    std::jthread canceller([&](std::stop_token ended) {
        std::unique_lock lock(mutex);
        if (!reached.wait(lock, ended, [&] { return at_moment; })) return;
        // Not a multiple of anything the export does.
        std::this_thread::sleep_for(std::chrono::microseconds(23300));
        asked = Clock::now();
        stop.request_stop();
    });
    try {
        engine.SaveBinaryFile(argv[3], false, true);
        std::cerr << "the export ended before the stop was asked for\n";
        return 1;
    } catch (const ExportCancelled&) {
        canceller.join();
        const std::chrono::duration<double> latency = Clock::now() - asked;
        std::cout << latency.count() << '\n';
        return 0;
    }
}
