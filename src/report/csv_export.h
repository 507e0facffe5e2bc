// The CSV export: a preamble, a column header row, and one row per timed phase
// occurrence followed by the rows of its events.
#ifndef VYN_REPORT_CSV_EXPORT_H_
#define VYN_REPORT_CSV_EXPORT_H_

#include "report/text_buffer.h"

#include "report/event_printer.h"
#include "report/report_input.h"

namespace vyn::profiling {

void writeCsvPreamble(TextBuffer& out, const ReportInput& input);
void writeCsvHeaderRow(TextBuffer& out);
// INIT, COMPOSE GRAPHS, FINALIZE (one per graph) and DE-INIT rows.
void writePhaseRows(TextBuffer& out, const ReportInput& input, EventPrinter& events);
void writeExecuteRows(TextBuffer& out, const ReportInput& input, EventPrinter& events);
void writeApplyBinarySectionRows(TextBuffer& out, const ReportInput& input, EventPrinter& events);

// Rows of the generic export only.
void writeExecuteIpsRow(TextBuffer& out, const ReportInput& input);
void writeDlopenLatencyRow(TextBuffer& out, const ReportInput& input);
void writeFinalizeAfterTensorUpdatesRows(TextBuffer& out, const ReportInput& input, EventPrinter& events);
void writeContextRetrievalRows(TextBuffer& out, const ReportInput& input);
void writeUpdateBinarySectionRows(TextBuffer& out, const ReportInput& input, EventPrinter& events);

}  // namespace vyn::profiling

#endif  // VYN_REPORT_CSV_EXPORT_H_
