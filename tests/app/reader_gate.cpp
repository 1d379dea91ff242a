#include "reader_gate.h"

#include "tests/support/fake_reader.h"

#include <chrono>
#include <condition_variable>
#include <mutex>

namespace reader_gate {

namespace {

struct Gate {
    std::mutex mutex;
    std::condition_variable changed;
    bool closed = false;
    bool held = false;
};

Gate& TheGate() {
    static Gate gate;
    return gate;
}

int GatedResult(CSTProjHandle* project, const char* tree_path, int part, float* values) {
    Gate& gate = TheGate();
    {
        std::unique_lock lock(gate.mutex);
        gate.held = gate.closed;
        gate.changed.notify_all();
        gate.changed.wait(lock, [&] { return !gate.closed; });
        gate.held = false;
    }
    return fake_reader::Reader()->functions.get_3d_hex_result(project, tree_path, part, values);
}

}  // namespace

std::shared_ptr<const brenwick::ResultReader> GatedReader() {
    auto reader = std::make_shared<brenwick::ResultReader>(*fake_reader::Reader());
    reader->functions.get_3d_hex_result.Replace(&GatedResult);
    return reader;
}

void Close() {
    const std::lock_guard lock(TheGate().mutex);
    TheGate().closed = true;
}

void Open() {
    Gate& gate = TheGate();
    const std::lock_guard lock(gate.mutex);
    gate.closed = false;
    gate.changed.notify_all();
}

bool WaitUntilHeld() {
    Gate& gate = TheGate();
    std::unique_lock lock(gate.mutex);
    return gate.changed.wait_for(lock, std::chrono::seconds(10), [&] { return gate.held; });
}

}  // namespace reader_gate
