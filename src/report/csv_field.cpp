#include "report/csv_field.h"

namespace vyn::profiling {
namespace {

bool needsQuotes(std::string_view field) {
  for (const char c : field) {
    if (c == ',' || c == '"' || c == '\r' || c == '\n') return true;
  }
  return false;
}

}  // namespace

void writeCsvField(std::ostream& out, std::string_view field) {
  std::string text;
  appendCsvField(text, field);
  out.write(text.data(), static_cast<std::streamsize>(text.size()));
}

void appendCsvField(std::string& text, std::string_view field) {
  const std::size_t start = text.size();
  text.append(field);
  quoteCsvField(text, start);
}

void quoteCsvField(std::string& text, std::size_t start) {
  const std::string_view field = std::string_view(text).substr(start);
  if (!needsQuotes(field)) return;
  std::string quoted;
  quoted.reserve(field.size() + 4);
  quoted.push_back('"');
  for (const char c : field) {
    if (c == '"') quoted.push_back('"');
    quoted.push_back(c);
  }
  quoted.push_back('"');
  text.replace(start, std::string::npos, quoted);
}

}  // namespace vyn::profiling
