// The failure of an output: it cannot be opened, written or completed. what() is the caller's
// message for that step followed by the output's name and, where known, the reason; the cause,
// where the system said why an output cannot be opened, is kept apart in words for the user
// (output_cause.h), so that the message stays what it always was.
#ifndef BRENWICK_OUTPUT_ERROR_H
#define BRENWICK_OUTPUT_ERROR_H

#include <stdexcept>
#include <string>
#include <utility>

namespace brenwick {

class OutputError : public std::runtime_error {
public:
    explicit OutputError(const std::string& message, std::string cause = {})
        : std::runtime_error(message), cause_(std::move(cause)) {}
    // Empty when nothing is known beyond the message.
    const std::string& Cause() const { return cause_; }

private:
    std::string cause_;
};

}  // namespace brenwick

#endif
