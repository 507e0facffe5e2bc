// JSON to the record model, for pack.
#include "format/log_json.h"

#include <cmath>
#include <limits>
#include <set>
#include <type_traits>
#include <vector>

#include "format/log_json_base64.h"
#include "format/log_json_names.h"
#include "format/record_fields.h"

namespace vyn::tools {
namespace {

[[noreturn]] void fail(const std::string& path, const std::string& problem) { throw JsonLogError(path, problem); }

// A short rendering of a value for error messages; text that is not UTF-8
// shows U+FFFD in its place.
std::string shown(const Json& value) {
  std::string text = value.dump(-1, ' ', false, Json::error_handler_t::replace);
  if (text.size() > 40) text = text.substr(0, 37) + "...";
  return text;
}

// The members of one JSON object, taken one by one; whatever is left over when
// the object is finished is an unknown field.
class ObjectFields {
 public:
  ObjectFields(const Json& value, std::string path, const char* what) : value_(value), path_(std::move(path)) {
    if (!value_.is_object()) fail(path_, std::string("expected ") + what + ", found " + shown(value_));
  }

  // The member named key (snake_case), or named as the schema spells the field
  // (camelCase, schemaName), which older files use; null when there is neither.
  // path is set to the member's path, spelled as the file spells it.
  const Json* take(const std::string& key, const std::string& schemaName, std::string& path) {
    known_.push_back(key);
    const auto found = value_.find(key);
    const auto older = schemaName != key ? value_.find(schemaName) : value_.end();
    if (found != value_.end() && older != value_.end()) {
      fail(path_ + "." + key, "given twice, as " + key + " and as " + schemaName);
    }
    const auto member = found != value_.end() ? found : older;
    if (member == value_.end()) return nullptr;
    taken_.insert(member.key());
    path = path_ + "." + member.key();
    return &*member;
  }

  const std::string& path() const { return path_; }

  void finish() const {
    for (const auto& member : value_.items()) {
      if (taken_.count(member.key()) != 0) continue;
      std::string expected;
      for (const std::string& key : known_) expected += (expected.empty() ? "" : ", ") + key;
      fail(path_ + "." + member.key(), "unknown field (expected one of: " + expected + ")");
    }
  }

 private:
  const Json& value_;
  std::string path_;
  std::vector<std::string> known_;
  std::set<std::string> taken_;
};

template <typename T>
T parseUnsigned(const Json& value, const std::string& path) {
  // A document built in memory may hold a non-negative number as a signed one.
  const bool nonNegative = value.is_number_unsigned() || (value.is_number_integer() && value.get<std::int64_t>() >= 0);
  if (nonNegative) {
    const auto number = value.get<std::uint64_t>();
    if (number > std::numeric_limits<T>::max()) {
      fail(path, "value " + shown(value) + " does not fit in " + std::to_string(sizeof(T) * 8) + " bits");
    }
    return static_cast<T>(number);
  }
  if (value.is_number_integer()) fail(path, "must not be negative, found " + shown(value));
  fail(path, "expected an unsigned integer, found " + shown(value));
}

template <typename T>
T parseSigned(const Json& value, const std::string& path) {
  if (!value.is_number_integer()) fail(path, "expected an integer, found " + shown(value));
  // Compared as what they are: an unsigned number above the signed range cannot be read as signed.
  const bool fits = value.is_number_unsigned()
                        ? value.get<std::uint64_t>() <= static_cast<std::uint64_t>(std::numeric_limits<T>::max())
                        : value.get<std::int64_t>() >= std::numeric_limits<T>::min() &&
                              value.get<std::int64_t>() <= std::numeric_limits<T>::max();
  if (!fits) {
    fail(path, "value " + shown(value) + " does not fit in a signed " + std::to_string(sizeof(T) * 8) + "-bit integer");
  }
  return static_cast<T>(value.get<std::int64_t>());
}

template <typename T>
T parseFloating(const Json& value, const std::string& path) {
  if (value.is_string()) {
    const auto& text = value.get_ref<const std::string&>();
    if (text == "NaN") return std::numeric_limits<T>::quiet_NaN();
    if (text == "Infinity") return std::numeric_limits<T>::infinity();
    if (text == "-Infinity") return -std::numeric_limits<T>::infinity();
  }
  if (!value.is_number()) {
    fail(path, "expected a number, \"NaN\", \"Infinity\" or \"-Infinity\", found " + shown(value));
  }
  const double number = value.get<double>();
  if (std::fabs(number) > static_cast<double>(std::numeric_limits<T>::max())) {
    fail(path, "value " + shown(value) + " is out of range");
  }
  return static_cast<T>(number);
}

std::string parseString(const Json& value, const std::string& path) {
  if (value.is_string()) return value.get<std::string>();
  if (value.is_object() && value.size() == 1 && value.contains("base64")) {
    const Json& encoded = value.at("base64");
    if (encoded.is_string()) {
      if (auto bytes = base64Decode(encoded.get_ref<const std::string&>())) {
        return std::string(bytes->begin(), bytes->end());
      }
    }
    fail(path + ".base64", "expected base64 text, found " + shown(encoded));
  }
  fail(path, "expected a string or {\"base64\": ...}, found " + shown(value));
}

std::vector<std::uint8_t> parseBytes(const Json& value, const std::string& path) {
  if (value.is_string()) {
    if (auto bytes = base64Decode(value.get_ref<const std::string&>())) return *bytes;
    fail(path, "expected base64 text, found " + shown(value));
  }
  if (value.is_array()) {
    std::vector<std::uint8_t> bytes;
    bytes.reserve(value.size());
    for (std::size_t i = 0; i < value.size(); ++i) {
      bytes.push_back(parseUnsigned<std::uint8_t>(value[i], path + "[" + std::to_string(i) + "]"));
    }
    return bytes;
  }
  fail(path, "expected base64 text or an array of bytes, found " + shown(value));
}

template <typename T, typename ByName>
T parseEnum(const Json& value, const std::string& path, ByName byName, const char* what,
            std::string (*nameOf)(std::int64_t), std::int64_t first, std::int64_t last) {
  if (value.is_string()) {
    if (auto number = byName(value.get_ref<const std::string&>())) return static_cast<T>(*number);
    std::string names;
    for (std::int64_t v = first; v <= last; ++v) names += (names.empty() ? "" : ", ") + nameOf(v);
    fail(path, "unknown " + std::string(what) + " " + shown(value) + " (expected a number or one of: " + names + ")");
  }
  if constexpr (std::is_signed<T>::value) {
    return parseSigned<T>(value, path);
  } else {
    return parseUnsigned<T>(value, path);
  }
}

// An array whose items parse one by one, each with its index in its path.
template <typename T, T (*parseItem)(const Json&, const std::string&)>
std::vector<T> parseArray(const Json& value, const std::string& path, const char* what) {
  if (!value.is_array()) fail(path, std::string("expected an array of ") + what + ", found " + shown(value));
  std::vector<T> items;
  items.reserve(value.size());
  for (std::size_t i = 0; i < value.size(); ++i)
    items.push_back(parseItem(value[i], path + "[" + std::to_string(i) + "]"));
  return items;
}

// What each table is called when a value is not one.
template <typename Model>
constexpr const char* tableWhat() {
  if constexpr (std::is_same_v<Model, EventModel>) return "an event object";
  if constexpr (std::is_same_v<Model, TimestampModel>) return "a timestamp object or number";
  if constexpr (std::is_same_v<Model, TimingModel>) return "a timing object";
  if constexpr (std::is_same_v<Model, MessageModel>) return "a message object";
  if constexpr (std::is_same_v<Model, HeaderVersionModel>) return "a version object";
  if constexpr (std::is_same_v<Model, HeaderModel>) return "a header object";
  return "a record object";
}

template <typename Model>
Model parseTable(const Json& value, const std::string& path);

// A field's value, read as its type and, for the enumerations, its key say.
template <typename T>
T parseValue(const std::string& key, const Json& value, const std::string& path) {
  if constexpr (std::is_same_v<T, std::string>) {
    return parseString(value, path);
  } else if constexpr (std::is_same_v<T, std::vector<std::uint8_t>>) {
    return parseBytes(value, path);
  } else if constexpr (profiling::IsVector<T>::value) {
    using Item = typename T::value_type;
    return parseArray<Item, parseTable<Item>>(value, path, std::is_same_v<Item, EventModel> ? "events" : "messages");
  } else if constexpr (std::is_floating_point_v<T>) {
    return parseFloating<T>(value, path);
  } else if constexpr (std::is_same_v<T, std::int8_t>) {
    if (key == "method_type") return parseEnum<T>(value, path, methodTypeByName, "method type", methodTypeName, 1, 17);
    return parseSigned<T>(value, path);
  } else if constexpr (std::is_same_v<T, std::uint32_t>) {
    if (key == "unit") return parseEnum<T>(value, path, eventUnitByName, "unit", eventUnitEnumName, 1, 6);
    if (key == "value_kind") return parseEnum<T>(value, path, valueKindByName, "value kind", valueKindName, 1, 6);
    return parseUnsigned<T>(value, path);
  } else if constexpr (std::is_signed_v<T>) {
    return parseSigned<T>(value, path);
  } else if constexpr (std::is_arithmetic_v<T>) {
    return parseUnsigned<T>(value, path);
  } else {
    if constexpr (std::is_same_v<T, TimestampModel>) {
      if (value.is_number()) return TimestampModel{parseUnsigned<std::uint64_t>(value, path), {}};
    }
    return parseTable<T>(value, path);
  }
}

// Every field the object holds, in schema order; any other member is refused.
template <typename Model>
Model parseTable(const Json& value, const std::string& path) {
  ObjectFields fields(value, path, tableWhat<Model>());
  Model model;
  profiling::Fields<Model>::each(model, [&](auto, const char* member, auto& target) {
    const std::string key = jsonKeyOf(member);
    std::string at;
    if (const Json* found = fields.take(key, member, at)) {
      target = parseValue<typename std::decay_t<decltype(target)>::value_type>(key, *found, at);
    }
  });
  fields.finish();
  return model;
}

}  // namespace

LogEntry entryFromJson(const Json& value, const std::string& path) {
  LogEntry entry;
  if (value.is_object() && value.size() == 1) {
    for (const char* key : {"raw_record", "rawRecord", "trailing_bytes", "trailingBytes"}) {
      if (!value.contains(key)) continue;
      entry.kind = key[0] == 'r' ? LogEntry::Kind::RawFrame : LogEntry::Kind::Trailing;
      entry.bytes = parseBytes(value.at(key), path + "." + key);
      return entry;
    }
  }
  entry.record = parseTable<RecordModel>(value, path);
  return entry;
}

}  // namespace vyn::tools
