#include "log_sink.h"

#include <iostream>

namespace brenwick {

namespace {

LogSink LinesTo(std::ostream& out) {
    return [&out](const std::string& line) { out << line << std::endl; };
}

}  // namespace

LogSink StandardOutputLog() { return LinesTo(std::cout); }

LogSink StandardErrorLog() { return LinesTo(std::cerr); }

}  // namespace brenwick
