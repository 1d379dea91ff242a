// A failure with its fixed message and, apart from it, what is known of its cause, in words for
// the user ("The material file m.xml does not exist."). what() is the fixed message alone, so
// that callers that show only it are unchanged; the dialog shows the cause below it.
#ifndef BRENWICK_FAILURE_CAUSE_H
#define BRENWICK_FAILURE_CAUSE_H

#include <exception>
#include <stdexcept>
#include <string>

namespace brenwick {

class FailureWithCause : public std::runtime_error {
public:
    FailureWithCause(const std::string& message, std::string cause)
        : std::runtime_error(message), m_cause(std::move(cause)) {}
    const std::string& Cause() const { return m_cause; }

private:
    std::string m_cause;
};

// The cause of `failure` on a line of its own after a line end, or nothing when it has none.
std::string CauseLine(const std::exception& failure);

// Why the file at `path` cannot be read as an input, as "<what> <path> does not exist." (or is
// a folder, is not a regular file, cannot be read: <the system's reason>), or nothing when it
// is a readable regular file.
std::string InputFileProblem(const std::string& what, const std::string& path);

}  // namespace brenwick

#endif
