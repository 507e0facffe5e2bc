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

// Calls write(position, graph, value, events) for each entry of a series'
// averages, or of its extremes when averaged is null.
template <typename Write>
void forEachGraphEntry(const LogModel& model, const std::vector<GraphAverage>* averaged,
                       const std::vector<GraphExtreme>* extremes, Write write) {
  if (averaged != nullptr) {
    for (std::size_t position = 0; position < averaged->size(); ++position) {
      const GraphAverage& entry = (*averaged)[position];
      write(position, entry.graph, entry.average.value, averagedEvents(model, entry.average));
    }
    return;
  }
  for (std::size_t position = 0; position < extremes->size(); ++position) {
    const GraphExtreme& entry = (*extremes)[position];
    write(position, entry.graph, entry.occurrence.value, model.list(entry.occurrence.events));
  }
}

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
