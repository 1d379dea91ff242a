// JSON as the commands print it.
#ifndef BRENWICK_JSON_TEXT_H
#define BRENWICK_JSON_TEXT_H

#include <nlohmann/json_fwd.hpp>

#include <string>

namespace brenwick {

// The JSON indented by two blanks. Texts of an export file are bytes in whatever encoding the
// material file had, so a byte that is no part of UTF-8 becomes U+FFFD instead of a failure.
std::string JsonText(const nlohmann::json& json);

}  // namespace brenwick

#endif
