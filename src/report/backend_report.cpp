// The back-end's report. The CSV export is complete and closed before the
// summary reaches standard output.
#include <fstream>

#include "report/backend_dump.h"
#include "report/csv_export.h"
#include "report/report_output.h"
#include "report/reports.h"
#include "report/summary_sections.h"

namespace vyn::profiling {

bool writeBackendReport(const ReportInput& input, const std::string& csvPath) {
  std::ofstream csvFile;
  if (!openCsvExport(csvFile, csvPath, std::ios::out | std::ios::trunc, input.inputLogPath,
                     "Invalid output csvfile: [%s]"))
    return false;
  BackendEventPrinter events(input.dataFiles);
  if (csvFile.is_open()) {
    CsvOutput csv(csvFile);
    writeCsvPreamble(csv.text(), input);
    writeCsvHeaderRow(csv.text());
    writePhaseRows(csv.text(), input, events);
    writeExecuteRows(csv.text(), input, events);
    writeApplyBinarySectionRows(csv.text(), input, events);
    csv.close();
  }
  SummaryOutput summary;
  writeHeaderSection(summary.text(), input);
  writeBackendPhaseStats(summary.text(), input, events);
  writeBackendData(summary.text(), input);
  writeGraphPhaseStats(summary.text(), input, events, GraphPhaseKind::ApplyBinarySectionAverage);
  return true;
}

}  // namespace vyn::profiling
