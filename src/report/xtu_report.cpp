// The Xtu back-end report: a short CSV export, a short statistics section and a
// dump of every event the back-end reported, laid out by the back-end's own
// event identifiers.
#include <cstdio>
#include <fstream>
#include <ios>
#include <sstream>
#include <string>

#include "capture/event_value.h"
#include "log/logger.h"
#include "reader/vyn_profile_log_reader_xtu.h"
#include "report/backend_identifiers.h"
#include "report/event_text.h"
#include "report/text_layout.h"

namespace vyn::profiling {
namespace {

// The event's value, one blank and the unit suffix, in the notation of the dump.
void writeValueWithUnit(std::ostream& out, const ProfileEvent& event) {
  out << std::fixed;
  out.precision(2);
  out << formatEventValue(event.value) << ' ' << unitSuffix(event.unit);
}

std::string indent(std::uint64_t depth) { return std::string(sectionIndent * depth, ' '); }

}  // namespace

bool VynProfileLogReaderXtu::writeReport(const std::string& outputPath) {
  if (!outputPath.empty()) {
    std::ofstream csvFile(outputPath, std::ios::out | std::ios::trunc);
    if (!csvFile.is_open()) {
      VYN_LOG_ERROR("Invalid output csvfile: [%s]", outputPath.c_str());
      return false;
    }
    writeCsvPreamble(csvFile);
    writeCsvHeaderRow(csvFile);
    writePhaseRows(csvFile);
    writeExecuteRows(csvFile);
    writeApplyBinarySectionRows(csvFile);
    // The file is closed here, at the end of its scope, so it is complete before
    // the summary appears. Write and close errors are not reported.
  }

  std::ostringstream summary;
  writeHeaderSection(summary);
  writeBackendPhaseStats(summary);
  writeBackendData(summary);
  writeGraphPhaseStats(summary, GraphPhaseKind::ApplyBinarySectionAverage);

  const std::string text = summary.str();
  std::fwrite(text.data(), 1, text.size(), stdout);
  std::fflush(stdout);
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
  out << "\nPrinting All Data Received From Back End\n";
  if (hasInitAltStat) {
    out << "\nCreate From Binary Stats:\n";
    printBackendEvents(out, initAltStat.subEvents);
    out << '\n';
  }
  if (hasFinalize) {
    out << "\nFinalize Stats:\n";
    for (const GraphPhaseStat& entry : finalizeStats) {
      printBackendEvents(out, entry.stat.subEvents);
      out << '\n';
    }
  }
  if (!executeSeries.empty()) {
    out << "\nExecute Stats: \n";
    for (const GraphPhaseSeries& series : executeSeries) {
      for (std::size_t position = 0; position < series.stats.size(); ++position) {
        out << "\nExecute Stat " << position + 1 << "\n\n";
        printBackendEvents(out, series.stats[position].subEvents);
      }
    }
  }
}

void VynProfileLogReaderXtu::printBackendEvents(std::ostream& out,
                                                const std::vector<ProfileEvent>& events) {
  bool burstBlockWritten = false;
  for (const ProfileEvent& event : events) {
    if (event.identifier == backend::kBurst) {
      // One block holds every burst event of the list, at the first one's place.
      if (!burstBlockWritten) printBurstEvents(out, events);
      burstBlockWritten = true;
      continue;
    }
    if (backend::isHiddenFromDump(event.identifier)) continue;
    out << event.name << " : ";
    writeValueWithUnit(out, event);
    out << '\n';
    for (const ProfileEvent& subEvent : event.subEvents) printBackendSubEvent(out, subEvent, 1);
  }
}

void VynProfileLogReaderXtu::printBackendSubEvent(std::ostream& out, const ProfileEvent& event,
                                                  std::uint64_t depth) {
  out << indent(depth) << event.name;
  if (!backend::isNameOnly(event.identifier)) {
    out << " : ";
    if (event.identifier == backend::kHardwareUnits) {
      out << formatUnitMask(static_cast<std::uint8_t>(eventValueAsUnsigned(event.value) & 0xFFu));
    } else {
      writeValueWithUnit(out, event);
    }
  }
  endLine(out);
  for (const ProfileEvent& subEvent : event.subEvents) {
    printBackendSubEvent(out, subEvent, depth + 1);
  }
}

void VynProfileLogReaderXtu::printBurstEvents(std::ostream& out,
                                              const std::vector<ProfileEvent>& events) {
  for (const ProfileEvent& event : events) {
    if (event.identifier != backend::kBurst) continue;
    out << event.name << " : \n";
    for (const ProfileEvent& subEvent : event.subEvents) printBurstSubEvent(out, subEvent, 1);
  }
}

void VynProfileLogReaderXtu::printBurstSubEvent(std::ostream& out, const ProfileEvent& event,
                                                std::uint64_t depth) {
  out << indent(depth) << event.name;
  if (event.identifier == backend::kBurstMarker) {
    out << " : Burst";
  } else if (event.identifier == backend::kBurstBlankValue) {
    out << " : ";
  } else if (backend::isUnitlessBurstValue(event.identifier)) {
    out << " : " << formatEventValue(event.value);
  } else if (event.identifier != backend::kBurstNameOnly) {
    out << " : ";
    writeValueWithUnit(out, event);
  }
  endLine(out);
  for (const ProfileEvent& subEvent : event.subEvents) {
    printBurstSubEvent(out, subEvent, depth + 1);
  }
}

}  // namespace vyn::profiling
