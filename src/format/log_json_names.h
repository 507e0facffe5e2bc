// The schema's names for the numbered enumerations of a record: method types,
// event units and value kinds; and the JSON form's names of the fields.
#ifndef VYN_FORMAT_LOG_JSON_NAMES_H_
#define VYN_FORMAT_LOG_JSON_NAMES_H_

#include <cstdint>
#include <optional>
#include <string>

namespace vyn::tools {

// The name of a value, or an empty string when the schema names no such value.
std::string methodTypeName(std::int64_t value);
std::string eventUnitEnumName(std::int64_t value);
std::string valueKindName(std::int64_t value);

// The value with this exact (case-sensitive) name.
std::optional<std::int64_t> methodTypeByName(const std::string& name);
std::optional<std::int64_t> eventUnitByName(const std::string& name);
std::optional<std::int64_t> valueKindByName(const std::string& name);

// A field of the record model as the log's JSON form names it: the member
// "unsignedValue" (as the schema spells the field) is "unsigned_value".
std::string jsonKeyOf(const char* member);

}  // namespace vyn::tools

#endif  // VYN_FORMAT_LOG_JSON_NAMES_H_
