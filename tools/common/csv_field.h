// One field of a CSV file as its readers expect it: quoted when it holds a
// comma, a double quote or a line break, with its double quotes doubled.
#ifndef VYN_TOOLS_COMMON_CSV_FIELD_H_
#define VYN_TOOLS_COMMON_CSV_FIELD_H_

#include <string>
#include <string_view>

namespace vyn::tools {

inline void appendCsvField(std::string& out, std::string_view field) {
  if (field.find_first_of(",\"\r\n") == std::string_view::npos) {
    out += field;
    return;
  }
  out += '"';
  for (char c : field) {
    if (c == '"') out += '"';
    out += c;
  }
  out += '"';
}

}  // namespace vyn::tools

#endif  // VYN_TOOLS_COMMON_CSV_FIELD_H_
