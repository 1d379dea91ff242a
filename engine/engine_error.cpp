#include "engine_error.h"

namespace brenwick {

std::string CauseLine(const std::exception& failure) {
    const auto* engine_failure = dynamic_cast<const EngineError*>(&failure);
    return engine_failure != nullptr && !engine_failure->Cause().empty() ? "\n" + engine_failure->Cause()
                                                                         : std::string();
}

}  // namespace brenwick
