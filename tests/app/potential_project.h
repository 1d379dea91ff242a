// A small project for the scripted reader and the check of what the dialog exports from it.
#ifndef BRENWICK_TESTS_POTENTIAL_PROJECT_H
#define BRENWICK_TESTS_POTENTIAL_PROJECT_H

#include "fake_reader.h"

#include <string>

// A 3 x 3 x 3 mesh with a real scalar potential under the default tree path and no material
// matrices: enough for an export of the potentials only.
fake_reader::Project PotentialProject();

// Expects `path` to hold an export of PotentialProject's potentials only: the header with the
// mesh size and the 27 node values right after it, nothing more.
void ExpectPotentialsOnlyExport(const std::string& path);

// A path in a temporary folder of this test process; an existing file of that name is removed.
std::string FreshTempPath(const std::string& name);

#endif
