// Quoting of CSV fields that carry text from the log.
#ifndef VYN_REPORT_CSV_FIELD_H_
#define VYN_REPORT_CSV_FIELD_H_

#include <ostream>
#include <string_view>

namespace vyn::profiling {

// Writes field as it is, or, when it holds a comma, a double quote, CR or LF,
// wrapped in double quotes with every inner double quote doubled.
void writeCsvField(std::ostream& out, std::string_view field);

}  // namespace vyn::profiling

#endif  // VYN_REPORT_CSV_FIELD_H_
