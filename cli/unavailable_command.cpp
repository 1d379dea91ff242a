#include "unavailable_command.h"

#include "command_failure.h"

#include <CLI/CLI.hpp>

namespace brenwick {

CLI::App* AddUnavailableCommand(CLI::App& app, const std::string& name, const std::string& library) {
    CLI::App* command = app.add_subcommand(name, "Not in this build of brenwick-cli: it was built without " + library);
    command->allow_extras();
    return command;
}

int RunUnavailable(const std::string& name, const std::string& library, std::ostream& err) {
    err << "This build of brenwick-cli has no " << name << ": it was built without " << library << "." << std::endl;
    return kFailureStatus;
}

}  // namespace brenwick
