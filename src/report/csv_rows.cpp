// The CSV preamble, the column header row and the rows of the timed phases that
// both the generic and the Xtu report export.
#include "report/csv_rows.h"

#include <optional>
#include <string>
#include <string_view>

#include "reader/vyn_profile_log_reader.h"
#include "report/csv_field.h"
#include "report/text_buffer.h"
#include "report/text_layout.h"

namespace vyn::profiling {
namespace {

// One phase row: timestamp, message keyword, value in microseconds, unit US,
// source NETRUN, level ROOT and the identifier, or "null" when there is none.
// keyword is a literal with its separators, e.g. ",INIT,".
void writePhaseRow(std::ostream& out, std::uint64_t timestamp, const char* keyword,
                   std::uint64_t value, std::optional<std::string_view> identifier) {
  TextBuffer row(out);
  row.number(timestamp).text(keyword).number(value).text(",US,NETRUN,ROOT,");
  if (identifier) {
    row.csvField(*identifier);
  } else {
    row.text("null");
  }
  row.endLine();
}

// A phase name with its suffix, or none when the name is empty.
std::optional<std::string> suffixedName(const std::string& name, const char* suffix) {
  if (name.empty()) return std::nullopt;
  return name + suffix;
}

}  // namespace

std::string graphIdentifier(std::size_t position, const std::string& graphName) {
  return "Graph " + std::to_string(position) + ": " + graphName;
}

void writeExecuteRow(VynProfileLogReader& reader, std::ostream& out,
                     const std::string& identifier, const PhaseStat& run) {
  static const std::string kLabel = "EXECUTE";
  writePhaseRow(out, run.timestamp, ",EXECUTE,", run.value, identifier);
  reader.printEvent(out, run.subEvents, run.timestamp, kLabel, 0);
}

void VynProfileLogReader::writeCsvPreamble(std::ostream& out) {
  out << "input log file location, ";
  writeCsvField(out, inputLogPath);
  endLine(out);
  out << "vyn-profile-viewer version, " << kViewerVersion;
  endLine(out);
  writeCsvField(out, generatorName + " version");
  out << ", ";
  writeCsvField(out, generatorVersion);
  endLine(out);
  out << "Backend version, ";
  writeCsvField(out, backendVersion);
  endLine(out);
}

void VynProfileLogReader::writeCsvHeaderRow(std::ostream& out) {
  out << "Msg Timestamp, Message, Time, Unit of Measurement, Timing Source, Event Level, "
         "Event Identifier";
  endLine(out);
}

void VynProfileLogReader::writePhaseRows(std::ostream& out) {
  writeInitRow(out);
  writeComposeGraphsRow(out);
  writeFinalizeRows(out);
  writeDeInitRow(out);
}

void VynProfileLogReader::writeInitRow(std::ostream& out) {
  writePhaseRow(out, initTimestamp, ",INIT,", initTime, suffixedName(initName, " (init)"));
  if (hasInitStat) {
    printEvent(out, initStat.subEvents, initTimestamp, "INIT", 0);
  } else if (hasInitAltStat) {
    printEvent(out, initAltStat.subEvents, initTimestamp, "INIT", 0);
  }
}

void VynProfileLogReader::writeComposeGraphsRow(std::ostream& out) {
  writePhaseRow(out, composeTimestamp, ",COMPOSE GRAPHS,", composeTime,
                suffixedName(composeName, ""));
}

void VynProfileLogReader::writeFinalizeRows(std::ostream& out) {
  for (std::size_t position = 0; position < finalizeStats.size(); ++position) {
    const GraphPhaseStat& entry = finalizeStats[position];
    writePhaseRow(out, entry.stat.timestamp, ",FINALIZE,", entry.stat.value,
                  graphIdentifier(position, entry.graphName));
    if (hasFinalizeStats) {
      printEvent(out, entry.stat.subEvents, entry.stat.timestamp, "FINALIZE", 0);
    }
  }
}

void VynProfileLogReader::writeDeInitRow(std::ostream& out) {
  writePhaseRow(out, deInitStat.timestamp, ",DE-INIT,", deInitStat.value,
                suffixedName(deInitStat.name, " (deinit)"));
  printEvent(out, deInitStat.subEvents, deInitStat.timestamp, "DE-INIT", 0);
}

void VynProfileLogReader::writeExecuteRows(std::ostream& out) {
  for (std::size_t position = 0; position < executeSeries.size(); ++position) {
    const GraphPhaseSeries& series = executeSeries[position];
    const std::string identifier = graphIdentifier(position, series.graphName);
    for (const PhaseStat& run : series.stats) {
      writeExecuteRow(*this, out, identifier, run);
    }
  }
}

void VynProfileLogReader::writeApplyBinarySectionRows(std::ostream& out) {
  for (std::size_t position = 0; position < applySectionSeries.size(); ++position) {
    const GraphPhaseSeries& series = applySectionSeries[position];
    const std::string identifier = graphIdentifier(position, series.graphName);
    for (const PhaseStat& occurrence : series.stats) {
      writePhaseRow(out, occurrence.timestamp, ",APPLY BINARY SECTION,", occurrence.value,
                    identifier);
      printEvent(out, occurrence.subEvents, occurrence.timestamp, "APPLYBINARY", 0);
    }
  }
}

}  // namespace vyn::profiling
