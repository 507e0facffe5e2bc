// The Xtu back-end report: a short CSV export, a short statistics section and a
// dump of every event the back-end reported, laid out by the back-end's own
// event identifiers.
#include <fstream>
#include <ios>
#include <string>
#include <string_view>

#include "capture/event_value.h"
#include "reader/vyn_profile_log_reader_xtu.h"
#include "report/backend_identifiers.h"
#include "report/csv_rows.h"
#include "report/event_text.h"
#include "report/report_output.h"
#include "report/stream_buffers.h"
#include "report/text_buffer.h"
#include "report/text_layout.h"

namespace vyn::profiling {
namespace {

// Blocks in which the CSV rows reach the file.

// The event's value, one blank and the unit suffix.
void appendValueWithUnit(TextBuffer& lines, const ProfileEvent& event) {
  // The dump leaves its stream in fixed notation with two decimals; the value
  // text itself never depends on the stream's notation.
  lines.stream().setf(std::ios::fixed, std::ios::floatfield);
  lines.stream().precision(2);
  lines.eventValue(event.value).character(' ').text(unitSuffix(event.unit));
}

void appendBackendSubEvent(TextBuffer& lines, const ProfileEvent& event, std::uint64_t depth) {
  lines.blanks(sectionIndent * depth).text(event.name);
  if (!backend::isNameOnly(event.identifier)) {
    lines.text(" : ");
    if (event.identifier == backend::kHardwareUnits) {
      const auto mask = static_cast<std::uint8_t>(eventValueAsUnsigned(event.value) & 0xFFu);
      lines.text(formatUnitMask(mask));
    } else {
      appendValueWithUnit(lines, event);
    }
  }
  lines.endLine();
  for (const ProfileEvent& subEvent : event.subEvents) {
    appendBackendSubEvent(lines, subEvent, depth + 1);
  }
}

void appendBurstSubEvent(TextBuffer& lines, const ProfileEvent& event, std::uint64_t depth) {
  lines.blanks(sectionIndent * depth).text(event.name);
  if (event.identifier == backend::kBurstMarker) {
    lines.text(" : Burst");
  } else if (event.identifier == backend::kBurstBlankValue) {
    lines.text(" : ");
  } else if (backend::isUnitlessBurstValue(event.identifier)) {
    lines.text(" : ").eventValue(event.value);
  } else if (event.identifier != backend::kBurstNameOnly) {
    lines.text(" : ");
    appendValueWithUnit(lines, event);
  }
  lines.endLine();
  for (const ProfileEvent& subEvent : event.subEvents) {
    appendBurstSubEvent(lines, subEvent, depth + 1);
  }
}

void appendBurstEvents(TextBuffer& lines, const std::vector<ProfileEvent>& events) {
  for (const ProfileEvent& event : events) {
    if (event.identifier != backend::kBurst) continue;
    lines.text(event.name).text(" : ");
    lines.endLine();
    for (const ProfileEvent& subEvent : event.subEvents) appendBurstSubEvent(lines, subEvent, 1);
  }
}

void appendBackendEvents(TextBuffer& lines, const std::vector<ProfileEvent>& events) {
  bool burstBlockWritten = false;
  for (const ProfileEvent& event : events) {
    if (event.identifier == backend::kBurst) {
      // One block holds every burst event of the list, at the first one's place.
      if (!burstBlockWritten) appendBurstEvents(lines, events);
      burstBlockWritten = true;
      continue;
    }
    if (backend::isHiddenFromDump(event.identifier)) continue;
    lines.text(event.name).text(" : ");
    appendValueWithUnit(lines, event);
    lines.endLine();
    for (const ProfileEvent& subEvent : event.subEvents) appendBackendSubEvent(lines, subEvent, 1);
  }
}

// The dump up to its executions: its heading, the events of context creation
// from a binary and those of every graph finalisation.
void appendBackendDataHead(const VynProfileLogReaderXtu& reader, TextBuffer& dump) {
  dump.text("\nPrinting All Data Received From Back End\n");
  if (reader.hasInitAltStat) {
    dump.text("\nCreate From Binary Stats:\n");
    appendBackendEvents(dump, reader.initAltStat.subEvents);
    dump.endLine();
  }
  if (reader.hasFinalize) {
    dump.text("\nFinalize Stats:\n");
    for (const GraphPhaseStat& entry : reader.finalizeStats) {
      appendBackendEvents(dump, entry.stat.subEvents);
      dump.endLine();
    }
  }
}

// Every execution as its block of the dump and, when csv is given, as its
// EXECUTE row with the rows of its events. One walk serves both outputs: an
// execution's events are still in the processor's cache when its dump block
// follows its CSV rows, where a second pass would fetch every tree again.
void writeExecutions(VynProfileLogReaderXtu& reader, TextBuffer& dump, std::ostream* csv) {
  if (!reader.executeSeries.empty()) dump.text("\nExecute Stats: \n");
  for (std::size_t graph = 0; graph < reader.executeSeries.size(); ++graph) {
    const GraphPhaseSeries& series = reader.executeSeries[graph];
    const std::string identifier = graphIdentifier(graph, series.graphName);
    for (std::size_t position = 0; position < series.stats.size(); ++position) {
      const PhaseStat& run = series.stats[position];
      if (csv != nullptr) writeExecuteRow(reader, *csv, identifier, run);
      dump.text("\nExecute Stat ").number(position + 1).text("\n\n");
      appendBackendEvents(dump, run.subEvents);
    }
  }
}

}  // namespace

// The CSV export and the summary are composed side by side, with one walk over
// the executions for both; the CSV file is complete and closed before the
// summary reaches standard output.
bool VynProfileLogReaderXtu::writeReport(const std::string& outputPath) {
  std::ofstream csvFile;
  if (!openCsvExport(csvFile, outputPath, std::ios::out | std::ios::trunc,
                     "Invalid output csvfile: [%s]"))
    return false;
  BlockStreamBuf csvBlocks(*csvFile.rdbuf(), kCsvBlockSize);
  std::ostream csvStream(&csvBlocks);
  std::ostream* const csv = csvFile.is_open() ? &csvStream : nullptr;

  MemoryStreamBuf summaryText;
  std::ostream summary(&summaryText);

  if (csv != nullptr) {
    writeCsvPreamble(*csv);
    writeCsvHeaderRow(*csv);
    writePhaseRows(*csv);
  }
  writeHeaderSection(summary);
  writeBackendPhaseStats(summary);
  {
    TextBuffer dump(summary);
    appendBackendDataHead(*this, dump);
    writeExecutions(*this, dump, csv);
  }
  if (csv != nullptr) {
    writeApplyBinarySectionRows(*csv);
    csv->flush();
    // Write and close errors are not reported.
    csvFile.close();
  }
  writeGraphPhaseStats(summary, GraphPhaseKind::ApplyBinarySectionAverage);

  writeSummaryToStdout(summaryText.text());
  return true;
}

void VynProfileLogReaderXtu::writeBackendPhaseStats(std::ostream& out) {
  writeTitle(out, "Vyn Init/Prepare/Finalize/De-Init/Execute/Lib-Load Statistics:", 60);
  writeInitStats(out);
  writeComposeGraphsStats(out);
  // Finalize results appear in the back-end data dump instead.
  writeDeInitStats(out);
}

void VynProfileLogReaderXtu::writeBackendData(std::ostream& out) {
  TextBuffer dump(out);
  appendBackendDataHead(*this, dump);
  writeExecutions(*this, dump, nullptr);
}

void VynProfileLogReaderXtu::printBackendEvents(std::ostream& out,
                                                const std::vector<ProfileEvent>& events) {
  TextBuffer lines(out);
  appendBackendEvents(lines, events);
}

void VynProfileLogReaderXtu::printBackendSubEvent(std::ostream& out, const ProfileEvent& event,
                                                  std::uint64_t depth) {
  TextBuffer lines(out);
  appendBackendSubEvent(lines, event, depth);
}

void VynProfileLogReaderXtu::printBurstEvents(std::ostream& out,
                                              const std::vector<ProfileEvent>& events) {
  TextBuffer lines(out);
  appendBurstEvents(lines, events);
}

void VynProfileLogReaderXtu::printBurstSubEvent(std::ostream& out, const ProfileEvent& event,
                                                std::uint64_t depth) {
  TextBuffer lines(out);
  appendBurstSubEvent(lines, event, depth);
}

}  // namespace vyn::profiling
