// What the fuzz targets share besides the tests' own helpers (test_files.h): the check that
// turns a broken promise of the program into a crash that libFuzzer reports.
#ifndef BRENWICK_FUZZ_SUPPORT_H
#define BRENWICK_FUZZ_SUPPORT_H

#include <string_view>

namespace brenwick {

// Prints what and aborts when holds is false.
void FuzzCheck(bool holds, std::string_view what);

}  // namespace brenwick

#endif
