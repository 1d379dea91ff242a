// A subcommand this build of brenwick-cli was made without, since a library it needs was left
// out (Qt, HDF5): it is listed, takes any arguments and says why it cannot run.
#ifndef BRENWICK_UNAVAILABLE_COMMAND_H
#define BRENWICK_UNAVAILABLE_COMMAND_H

#include <ostream>
#include <string>

namespace CLI {
class App;
}

namespace brenwick {

// Adds the subcommand `name` to app.
CLI::App* AddUnavailableCommand(CLI::App& app, const std::string& name, const std::string& library);

// Says on err that this build has no `name` for want of `library`; returns exit status 1.
int RunUnavailable(const std::string& name, const std::string& library, std::ostream& err);

}  // namespace brenwick

#endif
