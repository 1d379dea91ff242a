#include "engine_error.h"

#include "output/output_error.h"

namespace brenwick {

namespace {

const std::string& CauseOf(const std::exception& failure) {
    static const std::string none;
    if (const auto* engine_failure = dynamic_cast<const EngineError*>(&failure)) return engine_failure->Cause();
    if (const auto* output_failure = dynamic_cast<const OutputError*>(&failure)) return output_failure->Cause();
    return none;
}

}  // namespace

std::string CauseLine(const std::exception& failure) {
    const std::string& cause = CauseOf(failure);
    return cause.empty() ? std::string() : "\n" + cause;
}

}  // namespace brenwick
