// The generic report. The CSV export is complete and closed before the summary
// reaches standard output, except for a log of the updater tool, whose short
// summary comes first.
#include <fstream>

#include "report/csv_export.h"
#include "report/report_output.h"
#include "report/reports.h"
#include "report/summary_sections.h"

namespace vyn::profiling {
namespace {

void writeCsvExport(base::TextBuffer& csv, const ReportInput& input, EventPrinter& events) {
  writeCsvPreamble(csv, input);
  writeCsvHeaderRow(csv);
  writePhaseRows(csv, input, events);
  writeExecuteRows(csv, input, events);
  writeExecuteIpsRow(csv, input);
  writeDlopenLatencyRow(csv, input);
  writeApplyBinarySectionRows(csv, input, events);
  writeFinalizeAfterTensorUpdatesRows(csv, input, events);
  writeContextRetrievalRows(csv, input);
}

void writeSummary(base::TextBuffer& summary, const ReportInput& input, EventPrinter& events) {
  writeHeaderSection(summary, input);
  writePhaseStats(summary, input, events);
  writeContextRetrievalStats(summary, input);
  writeContextSectionRetrievalStats(summary, input);
  writeExecuteOverallStats(summary, input);
  writeExecuteStats(summary, input, events, ExecuteStatKind::Average);
  writeExecuteStats(summary, input, events, ExecuteStatKind::Min);
  writeExecuteStats(summary, input, events, ExecuteStatKind::Max);
  writeDynamicLibLoadStats(summary, input);
  for (const GraphPhaseKind kind : {GraphPhaseKind::ApplyBinarySectionAverage, GraphPhaseKind::ApplyBinarySectionMin,
                                    GraphPhaseKind::ApplyBinarySectionMax, GraphPhaseKind::TensorUpdatesAverage,
                                    GraphPhaseKind::TensorUpdatesMin, GraphPhaseKind::TensorUpdatesMax}) {
    writeGraphPhaseStats(summary, input, events, kind);
  }
}

}  // namespace

bool writeGenericReport(const ReportInput& input, EventPrinter& events, const std::string& csvPath) {
  // Appending: reports of several runs can be collected in one file.
  std::ofstream csvFile;
  if (!openCsvExport(csvFile, csvPath, std::ios::out | std::ios::app, input.inputLogPath, "Invalid output file: [%s]"))
    return false;

  const bool updater = input.model.header && input.model.header->generatedByUpdater;
  if (updater) {
    // The updater tool only updates binary sections; nothing else is reported.
    {
      SummaryOutput summary;
      writeHeaderSection(summary.text(), input);
      writeUpdateBinarySectionStats(summary.text(), input, events);
    }
    if (csvFile.is_open()) {
      CsvOutput csv(csvFile);
      writeCsvPreamble(csv.text(), input);
      writeCsvHeaderRow(csv.text());
      writeUpdateBinarySectionRows(csv.text(), input, events);
      csv.close();
    }
    return true;
  }
  if (csvFile.is_open()) {
    CsvOutput csv(csvFile);
    writeCsvExport(csv.text(), input, events);
    csv.close();
  }
  SummaryOutput summary;
  writeSummary(summary.text(), input, events);
  return true;
}

}  // namespace vyn::profiling
