// The printers of event lists: the indented tree of the text summary and the
// rows of the CSV export, in the generic form and in the back-end's form. Each
// takes a loaded log's rows (EventList) or trees of ProfileEvent that a host
// hands to the reader interface, and prints both alike.
#ifndef VYN_REPORT_EVENT_PRINTERS_H_
#define VYN_REPORT_EVENT_PRINTERS_H_

#include <cstdint>
#include <string_view>

#include "base/text_buffer.h"
#include "report/data_file_writer.h"

namespace vyn::profiling {

// One line per event: indent, label ("Backend (name): " at depth 1, "name: "
// deeper), value and unit suffix; sub-events one level deeper. Object-valued
// events get no line; their bytes go to a data file when dataFiles is given.
// Returns whether a line was written.
template <typename Events>
bool appendEventTree(base::TextBuffer& out, const Events& events, std::uint64_t depth, DataFileWriter* dataFiles);

// The generic CSV rows: the top-level events (level ROOT) and their direct
// sub-events (SUB-EVENT), except object-valued ones.
template <typename Events>
void appendGenericEventRows(base::TextBuffer& out, const Events& events, std::uint64_t timestamp,
                            std::string_view label);

// The back-end's CSV rows: every event at every level, the level column counting
// from depth; below a burst event the burst settings' own layout.
template <typename Events>
void appendBackendEventRows(base::TextBuffer& out, const Events& events, std::uint64_t timestamp,
                            std::string_view label, std::uint64_t depth);

}  // namespace vyn::profiling

#endif  // VYN_REPORT_EVENT_PRINTERS_H_
