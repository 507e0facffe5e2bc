// The CSV export: a preamble, a column header row, and one row per timed phase
// occurrence followed by the rows of its events.
#ifndef VYN_REPORT_CSV_EXPORT_H_
#define VYN_REPORT_CSV_EXPORT_H_

#include "base/text_buffer.h"

#include "report/event_printer.h"
#include "report/report_input.h"

namespace vyn::profiling {

void writeCsvPreamble(base::TextBuffer& out, const ReportInput& input);
void writeCsvHeaderRow(base::TextBuffer& out);
// INIT, COMPOSE GRAPHS, FINALIZE (one per graph) and DE-INIT rows.
void writePhaseRows(base::TextBuffer& out, const ReportInput& input, EventPrinter& events);
void writeExecuteRows(base::TextBuffer& out, const ReportInput& input, EventPrinter& events);
void writeApplyBinarySectionRows(base::TextBuffer& out, const ReportInput& input, EventPrinter& events);

// Rows of the generic export only.
void writeExecuteIpsRow(base::TextBuffer& out, const ReportInput& input);
void writeDlopenLatencyRow(base::TextBuffer& out, const ReportInput& input);
void writeFinalizeAfterTensorUpdatesRows(base::TextBuffer& out, const ReportInput& input, EventPrinter& events);
void writeContextRetrievalRows(base::TextBuffer& out, const ReportInput& input);
void writeUpdateBinarySectionRows(base::TextBuffer& out, const ReportInput& input, EventPrinter& events);

}  // namespace vyn::profiling

#endif  // VYN_REPORT_CSV_EXPORT_H_
