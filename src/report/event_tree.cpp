#include <ios>
#include <string>

#include "reader/vyn_profile_log_reader.h"
#include "report/event_text.h"
#include "report/text_buffer.h"
#include "report/text_layout.h"

namespace vyn::profiling {

void VynProfileLogReader::writeEventTree(std::ostream& out, const std::vector<ProfileEvent>& events,
                                         std::uint64_t depth) {
  TextBuffer lines(out);
  for (const ProfileEvent& event : events) {
    if (event.unit != EventUnit::Object) {
      lines.blanks(sectionIndent * depth);
      if (depth == 1) {
        lines.text("Backend (").text(event.name).text("): ");
      } else {
        lines.text(event.name).text(": ");
      }
      // Later sections of the summary inherit this notation; the value text
      // itself does not depend on it.
      out.setf(std::ios::fixed, std::ios::floatfield);
      out.precision(0);
      lines.eventValue(event.value).text(unitSuffix(event.unit));
      lines.endLine();
    } else if (writeDataFiles) {
      // Object-valued events carry data, not a measurement: their bytes go to a file.
      writeEventDataFile(event);
    }
    // The sub-events go through the dispatch table and write to the stream themselves.
    lines.flush();
    writeEventTree(out, event.subEvents, depth + 1);
  }
}

}  // namespace vyn::profiling
