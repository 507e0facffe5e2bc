#include <vector>

#include "model/event_list.h"
#include "report/event_printers.h"
#include "report/event_text.h"
#include "report/profile_event_walk.h"
#include "report/text_layout.h"

namespace vyn::profiling {

template <typename Events>
bool appendEventTree(base::TextBuffer& out, const Events& events, std::uint64_t depth, DataFileWriter* dataFiles) {
  bool wroteLine = false;
  walkEvents(events, [&](const EventItem& event) {
    const std::uint64_t level = depth + event.depth;
    if (event.unit != EventUnit::Object) {
      out.blanks(sectionIndent * level);
      if (level == 1) {
        out.text("Backend (").text(event.name).text("): ");
      } else {
        out.text(event.name).text(": ");
      }
      appendEventValue(out, event.value).text(unitSuffix(event.unit));
      out.endLine();
      wroteLine = true;
    } else if (dataFiles != nullptr) {
      // Object-valued events carry data, not a measurement: their bytes go to a file.
      dataFiles->write(event.detailText, event.bytes);
    }
    return true;
  });
  return wroteLine;
}

template bool appendEventTree(base::TextBuffer&, const EventList&, std::uint64_t, DataFileWriter*);
template bool appendEventTree(base::TextBuffer&, const std::vector<ProfileEvent>&, std::uint64_t, DataFileWriter*);

}  // namespace vyn::profiling
