// Values handed to SQLite and read from it, as every table of a fleet gives
// and takes them.
#ifndef VYN_QUERY_SQL_VALUES_H_
#define VYN_QUERY_SQL_VALUES_H_

#include <sqlite3.h>

#include <charconv>
#include <cstdint>
#include <optional>
#include <string_view>

#include "base/number_text.h"

namespace vyn::query {

// An unsigned number: an integer while it fits SQLite's, else the nearest real.
inline void resultUnsigned(sqlite3_context* context, std::uint64_t value) {
  if (value <= static_cast<std::uint64_t>(INT64_MAX)) {
    sqlite3_result_int64(context, static_cast<sqlite3_int64>(value));
  } else {
    sqlite3_result_double(context, static_cast<double>(value));
  }
}

// Text that lives as long as the connection (a loaded model's), not copied.
inline void resultLastingText(sqlite3_context* context, std::string_view text) {
  sqlite3_result_text64(context, text.data(), text.size(), SQLITE_STATIC, SQLITE_UTF8);
}
inline void resultText(sqlite3_context* context, std::string_view text) {
  sqlite3_result_text64(context, text.data(), text.size(), SQLITE_TRANSIENT, SQLITE_UTF8);
}

// A single-precision value as the double its shortest text reads as: 0.1f
// becomes 0.1, as the export writes it, not 0.100000001490116.
inline double singleAsDouble(float value) {
  char digits[base::kNumberTextRoom];
  const char* end = base::writeShortest(digits, value);
  double wide = static_cast<double>(value);
  std::from_chars(digits, end, wide);
  return wide;
}

// The whole number a constraint's value holds (an integer, a real without a
// fraction, or a text that reads as one), or nothing: such a value matches no id.
inline std::optional<std::int64_t> wholeNumber(sqlite3_value* value) {
  switch (sqlite3_value_numeric_type(value)) {
    case SQLITE_INTEGER:
      return sqlite3_value_int64(value);
    case SQLITE_FLOAT: {
      const double number = sqlite3_value_double(value);
      if (number >= -9.2e18 && number <= 9.2e18 && number == static_cast<double>(static_cast<std::int64_t>(number))) {
        return static_cast<std::int64_t>(number);
      }
      return std::nullopt;
    }
    default:
      return std::nullopt;
  }
}

}  // namespace vyn::query

#endif  // VYN_QUERY_SQL_VALUES_H_
