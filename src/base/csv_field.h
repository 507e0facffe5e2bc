// One field of a CSV file as its readers expect it: quoted when it holds a
// comma, a double quote or a line break, with its double quotes doubled.
#ifndef VYN_BASE_CSV_FIELD_H_
#define VYN_BASE_CSV_FIELD_H_

#include <cstddef>
#include <string>
#include <string_view>

namespace vyn::base {

// Whether field holds a comma, a double quote or a line break: the characters
// that make a CSV field quoted. Eight characters at a time, as it is asked of
// every name written.
bool holdsCsvSeparators(std::string_view field);

// The field in double quotes, its own double quotes doubled: for a field known
// to hold a separator.
inline void appendQuotedCsvField(std::string& out, std::string_view field) {
  out += '"';
  for (std::size_t start = 0;;) {
    const std::size_t quote = field.find('"', start);
    if (quote == std::string_view::npos) {
      out += field.substr(start);
      break;
    }
    out += field.substr(start, quote + 1 - start);
    out += '"';
    start = quote + 1;
  }
  out += '"';
}

inline void appendCsvField(std::string& out, std::string_view field) {
  if (!holdsCsvSeparators(field)) {
    out += field;
  } else {
    appendQuotedCsvField(out, field);
  }
}

}  // namespace vyn::base

#endif  // VYN_BASE_CSV_FIELD_H_
