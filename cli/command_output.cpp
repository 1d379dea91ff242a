#include "command_output.h"

#include "output/output_target.h"
#include "terminal.h"

namespace brenwick {

namespace {

OutputDestination DestinationNamed(const std::string& text) {
    return text == kStandardOutputPath ? OutputDestination::StandardOutput() : OutputDestination(text);
}

}  // namespace

CommandOutput::CommandOutput(const std::string& text)
    : text_(text), destination_(DestinationNamed(text)), descriptor_(DescriptorOf(destination_)) {}

bool CommandOutput::RefuseTerminal(std::ostream& err) const {
    if (!descriptor_ || !IsTerminal(*descriptor_)) return false;
    const std::string what =
        IsStandardOutput() ? std::string("standard output") : "descriptor " + std::to_string(*descriptor_);
    err << "--output " << text_ << ": " << what << " is a terminal; redirect it to a file or a pipe" << std::endl;
    return true;
}

OutputControl NoticesTo(std::ostream& err) {
    return {{}, [&err](const std::string& line) { err << line << std::endl; }};
}

}  // namespace brenwick
