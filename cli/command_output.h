// How the commands that write a file (export, preview, convert) take their output: "-" is
// standard output, and a path that names one of the program's open descriptors (/dev/stdout,
// /dev/fd/N, /proc/self/fd/N, /proc/thread-self/fd/N, ...: DescriptorOf in output_target.h) is
// written into as it stands, like "-". While the output is standard output, standard output
// carries nothing else: the command's own lines go to standard error. An output that is a
// terminal, or the file that standard error goes to, is a usage error.
#ifndef BRENWICK_COMMAND_OUTPUT_H
#define BRENWICK_COMMAND_OUTPUT_H

#include "output/output_destination.h"
#include "output/output_file.h"

#include <optional>
#include <ostream>
#include <string>

namespace brenwick {

// The output path that means standard output.
inline constexpr const char* kStandardOutputPath = "-";

class CommandOutput {
public:
    // `text` as the user gave it after --output.
    explicit CommandOutput(const std::string& text);

    const OutputDestination& Destination() const { return destination_; }
    bool IsStandardOutput() const { return descriptor_ == kStandardOutputDescriptor; }

    // Returns true when the output cannot take the command's bytes alone, after writing the usage
    // error: to `err` for a terminal; to `out` for the file standard error writes into (the
    // command's warnings and notices would be mixed into it), or nowhere when standard output
    // is that file as well.
    bool RefuseUnusable(std::ostream& out, std::ostream& err) const;
    // Where the command's own lines go: `err` while the output is standard output, else `out`.
    std::ostream& Info(std::ostream& out, std::ostream& err) const { return IsStandardOutput() ? err : out; }

private:
    std::string text_;
    OutputDestination destination_;
    std::optional<int> descriptor_;
};

// Tells `err` when writing waits (for the reader of a FIFO), so that the user knows why.
OutputControl NoticesTo(std::ostream& err);

}  // namespace brenwick

#endif
