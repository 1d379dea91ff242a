#include "fuzz_support.h"

#include <cstdlib>
#include <iostream>

namespace brenwick {

void FuzzCheck(bool holds, std::string_view what) {
    if (holds) return;
    std::cerr << "Broken promise: " << what << std::endl;
    std::abort();
}

}  // namespace brenwick
