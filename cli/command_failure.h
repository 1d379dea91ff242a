// How every command reports a failure: its text on the error stream and the exit status 1.
// The engine's failures keep their own words (they name the operation that failed) with their
// cause on the next line; any other is "<command>: <reason>".
#ifndef BRENWICK_COMMAND_FAILURE_H
#define BRENWICK_COMMAND_FAILURE_H

#include "output/output_destination.h"

#include <ostream>
#include <string>

namespace brenwick {

inline constexpr int kFailureStatus = 1;
// A command line that cannot be understood, or an output that is a terminal or the file that
// standard error goes to.
inline constexpr int kUsageError = 2;

// Runs work() and returns its exit status; an exception becomes the line and status 1. A file
// that is no well-formed export file is named in the line.
template <typename Work>
int ReportFailure(const char* command, const std::string& input, std::ostream& err, Work work);

// Throws std::runtime_error when `output` is the file `input` in any spelling (relative parts,
// links, a descriptor open on it, as SameFile in output_target.h): writing there would destroy
// what is being read.
void RefuseToReplaceInput(const std::string& input, const OutputDestination& output);

// The text of a failure for the user.
std::string FailureText(const char* command, const std::string& input, std::exception_ptr failure);

// The exit status of a command whose result is the text it wrote to `out`: `status`, or 1 with
// one line on `err` when `out` did not take all of it (a pipe whose reader went away, a full
// disk), so that a cut-off report never passes for a complete one.
int CheckWritten(const char* command, int status, std::ostream& out, std::ostream& err);

template <typename Work>
int ReportFailure(const char* command, const std::string& input, std::ostream& err, Work work) {
    try {
        return work();
    } catch (...) {
        err << FailureText(command, input, std::current_exception()) << std::endl;
        return kFailureStatus;
    }
}

}  // namespace brenwick

#endif
