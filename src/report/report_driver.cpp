// The generic report: the text summary on standard output and the CSV export
// appended to the caller's file.
#include <fstream>
#include <iomanip>
#include <string>

#include "reader/vyn_profile_log_reader.h"
#include "report/report_output.h"
#include "report/stream_buffers.h"

namespace vyn::profiling {

bool VynProfileLogReader::writeReport(const std::string& outputPath) {
  // Appending: reports of several runs can be collected in one file.
  std::ofstream csvFile;
  if (!openCsvExport(csvFile, outputPath, std::ios::out | std::ios::app,
                     "Invalid output file: [%s]"))
    return false;
  const bool writeCsv = csvFile.is_open();
  BlockStreamBuf csvBlocks(*csvFile.rdbuf(), kCsvBlockSize);
  std::ostream csv(&csvBlocks);

  MemoryStreamBuf summaryText;
  std::ostream summary(&summaryText);
  summary << std::fixed << std::setprecision(0);
  writeHeaderSection(summary);

  if (generatedByUpdater) {
    // The updater tool only updates binary sections; nothing else is reported.
    writeUpdateBinarySectionStats(summary);
    writeSummaryToStdout(summaryText.text());
    if (writeCsv) {
      csv << std::fixed << std::setprecision(0);
      writeCsvPreamble(csv);
      writeCsvHeaderRow(csv);
      writeUpdateBinarySectionRows(csv);
      csv.flush();
      csvFile.close();
    }
  } else {
    writePhaseStats(summary);
    writeContextRetrievalStats(summary);
    writeContextSectionRetrievalStats(summary);
    writeExecuteOverallStats(summary);
    writeExecuteStats(summary, ExecuteStatKind::Average);
    writeExecuteStats(summary, ExecuteStatKind::Min);
    writeExecuteStats(summary, ExecuteStatKind::Max);
    writeDynamicLibLoadStats(summary);
    writeGraphPhaseStats(summary, GraphPhaseKind::ApplyBinarySectionAverage);
    writeGraphPhaseStats(summary, GraphPhaseKind::ApplyBinarySectionMin);
    writeGraphPhaseStats(summary, GraphPhaseKind::ApplyBinarySectionMax);
    writeGraphPhaseStats(summary, GraphPhaseKind::TensorUpdatesAverage);
    writeGraphPhaseStats(summary, GraphPhaseKind::TensorUpdatesMin);
    writeGraphPhaseStats(summary, GraphPhaseKind::TensorUpdatesMax);

    if (writeCsv) {
      csv << std::fixed << std::setprecision(0);
      writeCsvPreamble(csv);
      writeCsvHeaderRow(csv);
      writeInitRow(csv);
      writeComposeGraphsRow(csv);
      writeFinalizeRows(csv);
      writeDeInitRow(csv);
      writeExecuteRows(csv);
      writeExecuteIpsRow(csv);
      writeDlopenLatencyRow(csv);
      writeApplyBinarySectionRows(csv);
      writeFinalizeAfterTensorUpdatesRows(csv);
      writeContextRetrievalRows(csv);
      csv.flush();
      csvFile.close();
    }
    writeSummaryToStdout(summaryText.text());
  }
  // Write and close failures of the export are not reported.
  return true;
}

}  // namespace vyn::profiling
