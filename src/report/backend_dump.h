// The back-end's part of its report: the statistics headline and the dump of
// every event the back-end reported, laid out by the back-end's own identifiers.
#ifndef VYN_REPORT_BACKEND_DUMP_H_
#define VYN_REPORT_BACKEND_DUMP_H_

#include "base/text_buffer.h"

#include "base/text_buffer.h"
#include "model/event_list.h"
#include "report/event_printer.h"
#include "report/report_input.h"

namespace vyn::profiling {

// The Init, Compose Graphs and De-Init statistics under the report's title.
void writeBackendPhaseStats(base::TextBuffer& out, const ReportInput& input, EventPrinter& events);

// The dump: context creation, every graph's finalization, every execution.
void writeBackendData(base::TextBuffer& out, const ReportInput& input);

// One list of the dump: a line per event, sub-events indented; a burst block for
// the list's burst events; the events the back-end keeps to itself left out.
void appendBackendEvents(base::TextBuffer& dump, const EventList& events);

}  // namespace vyn::profiling

#endif  // VYN_REPORT_BACKEND_DUMP_H_
