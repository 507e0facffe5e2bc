// Quoting of CSV fields that carry text from the log.
#ifndef VYN_REPORT_CSV_FIELD_H_
#define VYN_REPORT_CSV_FIELD_H_

#include <cstddef>
#include <ostream>
#include <string>
#include <string_view>

namespace vyn::profiling {

// A field is written as it is, or, when it holds a comma, a double quote, CR or
// LF, wrapped in double quotes with every inner double quote doubled.

// Writes field to out.
void writeCsvField(std::ostream& out, std::string_view field);

// Appends field to text.
void appendCsvField(std::string& text, std::string_view field);

// Puts the field that text holds from start to its end into that form.
void quoteCsvField(std::string& text, std::size_t start);

}  // namespace vyn::profiling

#endif  // VYN_REPORT_CSV_FIELD_H_
