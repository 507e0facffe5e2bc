// The record model to JSON, for dump.
#include "format/log_json.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string_view>
#include <type_traits>

#include "base/utf8.h"
#include "format/log_json_base64.h"
#include "format/log_json_names.h"
#include "format/record_fields.h"

namespace vyn::tools {
namespace {

// Only well-formed UTF-8 (no overlong forms, no surrogates, nothing above
// U+10FFFF) can be written as a JSON string and read back unchanged.
bool isValidUtf8(std::string_view text) {
  for (std::size_t at = 0; at < text.size();) {
    const base::Utf8Sequence sequence = base::utf8SequenceAt(text, at);
    if (!sequence.wellFormed) return false;
    at += sequence.length;
  }
  return true;
}

Json stringToJson(const std::string& text) {
  if (isValidUtf8(text)) return Json(text);
  const auto* bytes = reinterpret_cast<const std::uint8_t*>(text.data());
  return Json{{"base64", base64Encode(bytes, text.size())}};
}

Json nonFiniteToJson(double value) {
  if (std::isnan(value)) return Json("NaN");
  return Json(value > 0 ? "Infinity" : "-Infinity");
}

// The shortest decimal that reads back as the same float, so that 0.1f is
// written as 0.1 and not as the double nearest to it.
Json floatToJson(float value) {
  if (!std::isfinite(value)) return nonFiniteToJson(value);
  char text[32];
  for (int digits = 6; digits <= 9; ++digits) {
    std::snprintf(text, sizeof text, "%.*g", digits, static_cast<double>(value));
    if (std::strtof(text, nullptr) == value) break;
  }
  return Json(std::strtod(text, nullptr));
}

Json doubleToJson(double value) {
  if (!std::isfinite(value)) return nonFiniteToJson(value);
  return Json(value);
}

template <typename T>
Json enumToJson(T value, std::string (*nameOf)(std::int64_t)) {
  const std::string name = nameOf(static_cast<std::int64_t>(value));
  if (!name.empty()) return Json(name);
  return Json(static_cast<std::int64_t>(value));
}

template <typename Model>
Json tableToJson(const Model& model);

// A field's value: enumerations by name, text that is not UTF-8 and bytes in
// base64, a timestamp without a sequence as its number, lists and tables as
// arrays and objects.
template <typename T>
Json valueToJson(const std::string& key, const T& value) {
  if constexpr (std::is_same_v<T, std::string>) {
    return stringToJson(value);
  } else if constexpr (std::is_same_v<T, std::vector<std::uint8_t>>) {
    return base64Encode(value);
  } else if constexpr (profiling::IsVector<T>::value) {
    Json json = Json::array();
    for (const auto& item : value) json.push_back(tableToJson(item));
    return json;
  } else if constexpr (std::is_same_v<T, float>) {
    return floatToJson(value);
  } else if constexpr (std::is_same_v<T, double>) {
    return doubleToJson(value);
  } else if constexpr (std::is_arithmetic_v<T>) {
    if (key == "unit") return enumToJson(value, eventUnitEnumName);
    if (key == "value_kind") return enumToJson(value, valueKindName);
    if (key == "method_type") return enumToJson(value, methodTypeName);
    return Json(value);
  } else {
    if constexpr (std::is_same_v<T, TimestampModel>) {
      if (value.value && !value.sequence) return Json(*value.value);
    }
    return tableToJson(value);
  }
}

// The fields present, in schema order.
template <typename Model>
Json tableToJson(const Model& model) {
  Json json = Json::object();
  profiling::Fields<Model>::each(model, [&](auto, const char* member, const auto& value) {
    const std::string key = jsonKeyOf(member);
    if (value) json[key] = valueToJson(key, *value);
  });
  return json;
}

}  // namespace

Json entryToJson(const LogEntry& entry) {
  switch (entry.kind) {
    case LogEntry::Kind::RawFrame:
      return Json{{"raw_record", base64Encode(entry.bytes)}};
    case LogEntry::Kind::Trailing:
      return Json{{"trailing_bytes", base64Encode(entry.bytes)}};
    case LogEntry::Kind::Record:
      break;
  }
  return tableToJson(entry.record);
}

}  // namespace vyn::tools
