// Where the engine's informational lines go: the reader version, the mesh size, the field
// type, "unsupported material!" and the successful close.
#ifndef BRENWICK_LOG_SINK_H
#define BRENWICK_LOG_SINK_H

#include <functional>
#include <string>

namespace brenwick {

// Receives one line at a time, without its line end.
using LogSink = std::function<void(const std::string& line)>;

// Writes each line to standard output and flushes it, as users of a terminal expect.
LogSink StandardOutputLog();
// The same on standard error, for when standard output carries the export itself.
LogSink StandardErrorLog();

}  // namespace brenwick

#endif
