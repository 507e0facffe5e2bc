#include "report/csv_field.h"

#include "report/text_buffer.h"

namespace vyn::profiling {

void writeCsvField(std::ostream& out, std::string_view field) {
  TextBuffer text(out);
  text.csvField(field);
}

}  // namespace vyn::profiling
