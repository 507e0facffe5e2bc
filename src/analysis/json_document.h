// The text of a JSON document built with the JSON library. Names from a log
// need not be UTF-8: each ill-formed part becomes U+FFFD, exactly as
// base/json_text.h writes strings, and writing never throws.
#ifndef VYN_ANALYSIS_JSON_DOCUMENT_H_
#define VYN_ANALYSIS_JSON_DOCUMENT_H_

#include <nlohmann/json.hpp>
#include <string>

namespace vyn::tools {

// indent: blanks per level, or -1 for one line with no blanks between tokens.
// Json is nlohmann::json or nlohmann::ordered_json.
template <typename Json>
std::string jsonDocumentText(const Json& document, int indent = -1) {
  return document.dump(indent, ' ', false, Json::error_handler_t::replace);
}

}  // namespace vyn::tools

#endif  // VYN_ANALYSIS_JSON_DOCUMENT_H_
