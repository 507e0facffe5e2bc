// The sections of the text summary. Each writes into the summary's stream and
// prints events through the given printer.
#ifndef VYN_REPORT_SUMMARY_SECTIONS_H_
#define VYN_REPORT_SUMMARY_SECTIONS_H_

#include "base/text_buffer.h"

#include "report/event_printer.h"
#include "report/report_input.h"

namespace vyn::profiling {

// The log header's text and a newline.
void writeHeaderSection(base::TextBuffer& out, const ReportInput& input);

// Life-cycle phases other than execution.
void writePhaseStats(base::TextBuffer& out, const ReportInput& input, EventPrinter& events);
void writeInitStats(base::TextBuffer& out, const ReportInput& input, EventPrinter& events);
void writeComposeGraphsStats(base::TextBuffer& out, const ReportInput& input);
void writeFinalizeStats(base::TextBuffer& out, const ReportInput& input, EventPrinter& events);
void writeDeInitStats(base::TextBuffer& out, const ReportInput& input, EventPrinter& events);

enum class GraphPhaseKind {
  ApplyBinarySectionAverage,
  ApplyBinarySectionMin,
  ApplyBinarySectionMax,
  TensorUpdatesAverage,
  TensorUpdatesMin,
  TensorUpdatesMax,
};
void writeGraphPhaseStats(base::TextBuffer& out, const ReportInput& input, EventPrinter& events, GraphPhaseKind kind);
void writeUpdateBinarySectionStats(base::TextBuffer& out, const ReportInput& input, EventPrinter& events);

// Reading compiled contexts back out of the runtime.
void writeContextRetrievalStats(base::TextBuffer& out, const ReportInput& input);
void writeContextSectionRetrievalStats(base::TextBuffer& out, const ReportInput& input);

// Execution and library loading.
void writeExecuteOverallStats(base::TextBuffer& out, const ReportInput& input);
enum class ExecuteStatKind { Average, Min, Max };
// The Average section also saves the data files of every execution's events.
void writeExecuteStats(base::TextBuffer& out, const ReportInput& input, EventPrinter& events, ExecuteStatKind kind);
void writeDynamicLibLoadStats(base::TextBuffer& out, const ReportInput& input);

}  // namespace vyn::profiling

#endif  // VYN_REPORT_SUMMARY_SECTIONS_H_
