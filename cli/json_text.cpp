#include "json_text.h"

#include <nlohmann/json.hpp>

namespace brenwick {

std::string JsonText(const nlohmann::json& json) {
    return json.dump(2, ' ', false, nlohmann::json::error_handler_t::replace);
}

}  // namespace brenwick
