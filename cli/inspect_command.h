// `brenwick-cli inspect`: the check of an export file before it goes to Garfield++.
#ifndef BRENWICK_INSPECT_COMMAND_H
#define BRENWICK_INSPECT_COMMAND_H

#include <ostream>
#include <string>

namespace CLI {
class App;
}

namespace brenwick {

struct InspectOptions {
    std::string path;
    bool json = false;
};

// Prints the report (text or JSON) to `out`; returns 0 for a well-formed file, 1 otherwise.
int RunInspect(const InspectOptions& options, std::ostream& out);

// Adds the subcommand "inspect" to app, storing what it parses in options (which must outlive the parse).
CLI::App* AddInspectCommand(CLI::App& app, InspectOptions& options);

}  // namespace brenwick

#endif
