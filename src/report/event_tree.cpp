#include <ios>
#include <string>

#include "reader/vyn_profile_log_reader.h"
#include "report/event_text.h"
#include "report/text_layout.h"

namespace vyn::profiling {

void VynProfileLogReader::writeEventTree(std::ostream& out, const std::vector<ProfileEvent>& events,
                                         std::uint64_t depth) {
  for (const ProfileEvent& event : events) {
    if (event.unit != EventUnit::Object) {
      out << std::string(sectionIndent * depth, ' ');
      if (depth == 1) {
        out << "Backend (" << event.name << "): ";
      } else {
        out << event.name << ": ";
      }
      // Later sections of the summary inherit this notation.
      out << std::fixed;
      out.precision(0);
      out << formatEventValue(event.value) << unitSuffix(event.unit);
      endLine(out);
    } else if (writeDataFiles) {
      // Object-valued events carry data, not a measurement: their bytes go to a file.
      writeEventDataFile(event);
    }
    writeEventTree(out, event.subEvents, depth + 1);
  }
}

}  // namespace vyn::profiling
