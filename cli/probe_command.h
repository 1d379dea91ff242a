// `brenwick-cli probe`: the element, material, potential and field at points of an export file.
#ifndef BRENWICK_PROBE_COMMAND_H
#define BRENWICK_PROBE_COMMAND_H

#include "fieldmap/probe.h"

#include <ostream>
#include <span>
#include <string>
#include <vector>

namespace CLI {
class App;
}

namespace brenwick {

struct ProbeOptions {
    std::string path;
    std::vector<double> coordinates;  // x, y, z of each point in turn
    bool json = false;
};

// One line per point, or (json) one array with an object per point: point, inside, and inside
// the mesh element, material {index, id, description, gas}, potential, field.
std::string FormatProbeText(std::span<const fieldmap::ProbeResult> results);
std::string FormatProbeJson(std::span<const fieldmap::ProbeResult> results);

// Prints the results to `out` and returns 0; a file that cannot be probed is reported on `err`
// with the status 1. Points outside the mesh are results, not failures.
int RunProbe(const ProbeOptions& options, std::ostream& out, std::ostream& err);

// Adds the subcommand "probe FILE X Y Z [X Y Z ...] [--json]" to app; a coordinate count that
// is no multiple of three is a usage error.
CLI::App* AddProbeCommand(CLI::App& app, ProbeOptions& options);

}  // namespace brenwick

#endif
