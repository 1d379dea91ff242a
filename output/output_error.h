// The failure of an output: it cannot be opened, written or completed. what() is the caller's
// message for that step followed by the output's name and, where known, the reason.
#ifndef BRENWICK_OUTPUT_ERROR_H
#define BRENWICK_OUTPUT_ERROR_H

#include <stdexcept>

namespace brenwick {

class OutputError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

}  // namespace brenwick

#endif
