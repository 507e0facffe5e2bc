#include "plugin/interface_event_printer.h"

#include "plugin/profile_events.h"
#include "report/event_printers.h"

namespace vyn::profiling {

void InterfaceEventPrinter::tree(base::TextBuffer& out, const EventList& events, std::uint64_t depth) {
  appendEventTree(out, events, depth, dataFiles_);
}

void InterfaceEventPrinter::rows(base::TextBuffer& out, const EventList& events, std::uint64_t timestamp,
                                 const std::string& label) {
  fillProfileEvents(events, events_);
  out.flush();
  reader_.printEvent(out.stream(), events_, timestamp, label, 0);
}

}  // namespace vyn::profiling
