// The sections of the text summary. Each writes into the summary's stream and
// prints events through the given printer.
#ifndef VYN_REPORT_SUMMARY_SECTIONS_H_
#define VYN_REPORT_SUMMARY_SECTIONS_H_

#include "report/text_buffer.h"

#include "report/event_printer.h"
#include "report/report_input.h"

namespace vyn::profiling {

// The log header's text and a newline.
void writeHeaderSection(TextBuffer& out, const ReportInput& input);

// Life-cycle phases other than execution.
void writePhaseStats(TextBuffer& out, const ReportInput& input, EventPrinter& events);
void writeInitStats(TextBuffer& out, const ReportInput& input, EventPrinter& events);
void writeComposeGraphsStats(TextBuffer& out, const ReportInput& input);
void writeFinalizeStats(TextBuffer& out, const ReportInput& input, EventPrinter& events);
void writeDeInitStats(TextBuffer& out, const ReportInput& input, EventPrinter& events);

enum class GraphPhaseKind {
  ApplyBinarySectionAverage,
  ApplyBinarySectionMin,
  ApplyBinarySectionMax,
  TensorUpdatesAverage,
  TensorUpdatesMin,
  TensorUpdatesMax,
};
void writeGraphPhaseStats(TextBuffer& out, const ReportInput& input, EventPrinter& events, GraphPhaseKind kind);
void writeUpdateBinarySectionStats(TextBuffer& out, const ReportInput& input, EventPrinter& events);

// Reading compiled contexts back out of the runtime.
void writeContextRetrievalStats(TextBuffer& out, const ReportInput& input);
void writeContextSectionRetrievalStats(TextBuffer& out, const ReportInput& input);

// Execution and library loading.
void writeExecuteOverallStats(TextBuffer& out, const ReportInput& input);
enum class ExecuteStatKind { Average, Min, Max };
// The Average section also saves the data files of every execution's events.
void writeExecuteStats(TextBuffer& out, const ReportInput& input, EventPrinter& events, ExecuteStatKind kind);
void writeDynamicLibLoadStats(TextBuffer& out, const ReportInput& input);

}  // namespace vyn::profiling

#endif  // VYN_REPORT_SUMMARY_SECTIONS_H_
