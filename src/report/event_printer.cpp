#include "report/event_printer.h"

#include "report/event_printers.h"

namespace vyn::profiling {

void BackendEventPrinter::tree(base::TextBuffer& out, const EventList& events, std::uint64_t depth) {
  appendEventTree(out, events, depth, dataFiles_);
}

void BackendEventPrinter::rows(base::TextBuffer& out, const EventList& events, std::uint64_t timestamp,
                               const std::string& label) {
  appendBackendEventRows(out, events, timestamp, label, 0);
}

}  // namespace vyn::profiling
