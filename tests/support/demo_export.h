// The export of the demo detector for tests: the demo's mesh lines, its potential, the material
// byte the generator placed in each element and the catalogue as records, which is exactly what
// the engine writes for the demo project (the export round trip test holds it to that).
#ifndef BRENWICK_TESTS_DEMO_EXPORT_H
#define BRENWICK_TESTS_DEMO_EXPORT_H

#include "efm_files.h"

#include <array>

namespace test_efm {

MapContents DemoExport(const std::array<int, 3>& mesh);

}  // namespace test_efm

#endif
