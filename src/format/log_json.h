// The JSON form of a profiling log, shared by `pack` (JSON to log) and `dump`
// (log to JSON).
//
// A log is an array of entries. A record is an object with the optional keys
// "header" and "messages"; its tables use the schema's field names in
// snake_case ("method_type"; reading takes the schema's own spelling,
// "methodType", too), and a key left out is a field absent from the record.
// Besides records, an entry may be {"raw_record": BASE64} (the bytes of a frame
// that does not hold a valid record; the length prefix is computed) or, as the
// last entry, {"trailing_bytes": BASE64} (bytes after the last frame, written
// without a prefix). Conventions:
//   - strings are JSON strings, or {"base64": ...} for text that is not UTF-8;
//   - byte vectors are base64 strings or arrays of numbers 0..255;
//   - method_type, unit and value_kind are the schema's names or numbers;
//   - float and double fields are numbers, or "NaN", "Infinity", "-Infinity";
//   - a message timestamp with only its value may be written as that number.
#ifndef VYN_FORMAT_LOG_JSON_H_
#define VYN_FORMAT_LOG_JSON_H_

#include <nlohmann/json.hpp>

#include <stdexcept>
#include <string>

#include "format/log_json_entry.h"

namespace vyn::tools {

using Json = nlohmann::ordered_json;

// A value of the JSON text that does not describe a log; path() names it
// ("$[1].messages[0].timing.start").
class JsonLogError : public std::runtime_error {
 public:
  JsonLogError(std::string path, const std::string& problem)
      : std::runtime_error(path + ": " + problem), path_(std::move(path)) {}
  const std::string& path() const { return path_; }

 private:
  std::string path_;
};

// One entry; path is the entry's own path, used in error messages.
LogEntry entryFromJson(const Json& value, const std::string& path);

// Fields appear in schema order; enumerations by name where the schema names
// the value.
Json entryToJson(const LogEntry& entry);

}  // namespace vyn::tools

#endif  // VYN_FORMAT_LOG_JSON_H_
