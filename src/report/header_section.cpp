#include "reader/vyn_profile_log_reader.h"
#include "report/text_layout.h"

namespace vyn::profiling {

void VynProfileLogReader::writeHeaderSection(std::ostream& out) {
  out << getHeaderReport();
  endLine(out);
}

}  // namespace vyn::profiling
