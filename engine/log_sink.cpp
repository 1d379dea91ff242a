#include "log_sink.h"

#include <iostream>

namespace brenwick {

LogSink StandardOutputLog() {
    return [](const std::string& line) { std::cout << line << std::endl; };
}

}  // namespace brenwick
