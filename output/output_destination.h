// Where an output goes: a file named by a path, or the standard output the program was given.
#ifndef BRENWICK_OUTPUT_DESTINATION_H
#define BRENWICK_OUTPUT_DESTINATION_H

#include <string>
#include <utility>

namespace brenwick {

inline constexpr int kStandardOutputDescriptor = 1;

class OutputDestination {
public:
    // A path. Every path names a file, "-" included: only StandardOutput() means the stream. A
    // path may name one of the process's open descriptors (see DescriptorOf in output_target.h).
    OutputDestination(std::string path) : name_(std::move(path)) {}  // implicit, as a path is the usual case

    static OutputDestination StandardOutput() {
        OutputDestination destination("standard output");
        destination.standard_output_ = true;
        return destination;
    }

    bool IsStandardOutput() const { return standard_output_; }
    // The path, or "standard output": what messages and the export summary call it.
    const std::string& Name() const { return name_; }

private:
    std::string name_;
    bool standard_output_ = false;
};

}  // namespace brenwick

#endif
