#include "command_output.h"

#include "output/output_target.h"
#include "terminal.h"

namespace brenwick {

namespace {

constexpr int kStandardErrorDescriptor = 2;

OutputDestination DestinationNamed(const std::string& text) {
    return text == kStandardOutputPath ? OutputDestination::StandardOutput() : OutputDestination(text);
}

}  // namespace

CommandOutput::CommandOutput(const std::string& text)
    : text_(text), destination_(DestinationNamed(text)), descriptor_(DescriptorOf(destination_)) {}

bool CommandOutput::RefuseUnusable(std::ostream& out, std::ostream& err) const {
    if (descriptor_ && IsTerminal(*descriptor_)) {
        const std::string what =
            IsStandardOutput() ? std::string("standard output") : "descriptor " + std::to_string(*descriptor_);
        err << "--output " << text_ << ": " << what << " is a terminal; redirect it to a file or a pipe" << std::endl;
        return true;
    }
    if (!SharesFileWith(destination_, kStandardErrorDescriptor)) return false;
    // Said on standard output, unless that is the output's file too and no stream is left.
    if (!SharesFileWith(destination_, kStandardOutputDescriptor)) {
        out << "--output " << text_
            << ": standard error goes there too, and its messages would be mixed into the output; redirect standard "
               "error or choose another output"
            << std::endl;
    }
    return true;
}

OutputControl NoticesTo(std::ostream& err) {
    return {{}, [&err](const std::string& line) { err << line << std::endl; }};
}

}  // namespace brenwick
