// A small project for the scripted reader and the check of what the dialog exports from it.
#ifndef BRENWICK_TESTS_POTENTIAL_PROJECT_H
#define BRENWICK_TESTS_POTENTIAL_PROJECT_H

#include "tests/support/fake_reader.h"

#include <string>

// A 3 x 3 x 3 mesh with a real scalar potential under the default tree path and no material
// matrices: enough for an export of the potentials only.
fake_reader::Project PotentialProject();

// Expects `path` to hold an export of PotentialProject's potentials only, read as Garfield++
// reads it: a 3 x 3 x 3 mesh without lines or materials, every node value, nothing more.
void ExpectPotentialsOnlyExport(const std::string& path);

#endif
