// A result reader that runs the scripted one but can hold the exporting worker inside its read
// of the potential until the test lets it go, so that a test acts while an export runs.
#ifndef BRENWICK_TESTS_READER_GATE_H
#define BRENWICK_TESTS_READER_GATE_H

#include "engine/reader/reader_functions.h"

#include <memory>

namespace reader_gate {

// The scripted reader with the gate in front of its read of a result.
std::shared_ptr<const brenwick::ResultReader> GatedReader();

// From now on a read of a result waits at the gate.
void Close();
// Lets a waiting read go on, and every later one pass.
void Open();
// True once a read waits at the gate; false after 10 seconds without one.
bool WaitUntilHeld();

}  // namespace reader_gate

#endif
