// How one measured event reads in the export: its value cell, its unit word and
// its text cell.
#ifndef VYN_ANALYSIS_EXPORT_EVENT_COLUMNS_H_
#define VYN_ANALYSIS_EXPORT_EVENT_COLUMNS_H_

#include <cstdint>
#include <string_view>

#include "analysis/export_row.h"
#include "model/event_list.h"

namespace vyn::tools {

// Fills the value, unit and text cells of row from event. Integers stay
// integers, singles and doubles keep their width, values that are not finite
// leave the value cell empty; a text value goes to the text cell, and so do the
// unit names of a hardware-unit set, whose value cell stays empty.
void setEventValueColumns(const profiling::EventItem& event, EventColumns& row);

}  // namespace vyn::tools

#endif  // VYN_ANALYSIS_EXPORT_EVENT_COLUMNS_H_
