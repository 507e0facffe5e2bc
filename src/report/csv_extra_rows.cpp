// CSV rows of the generic export beyond the phases and executions: the overall
// inference rate, the library load latency, tensor-update finalizations,
// context retrievals and binary-section updates.
#include <iomanip>
#include <optional>
#include <string>

#include "capture/event_value.h"
#include "reader/vyn_profile_log_reader.h"
#include "report/csv_field.h"
#include "report/inference_rate.h"
#include "report/text_layout.h"

namespace vyn::profiling {
namespace {

// The unit, timing source and level columns of a row timed by the runtime.
constexpr const char* kNetRunColumns = ",US,NETRUN,ROOT";

}  // namespace

void VynProfileLogReader::writeExecuteIpsRow(std::ostream& out) {
  if (!hasExecuteOverallStat) return;
  const std::optional<float> figure = inferencesPerSecond(executeOverallStat.subEvents);
  if (!figure) return;
  // The precision stays at 6 for the rows that follow; they print integers only.
  out << std::fixed << std::setprecision(6);
  out << executeOverallStat.timestamp << ",EXECUTE IPS," << *figure << ",INF/SEC,NETRUN,ROOT,null";
  endLine(out);
}

void VynProfileLogReader::writeDlopenLatencyRow(std::ostream& out) {
  if (!hasLibLoadStat || libLoadStat.subEvents.empty()) return;
  out << libLoadStat.timestamp << ",DLOPEN LATENCY,"
      << eventValueAsUnsigned(libLoadStat.subEvents.front().value) << kNetRunColumns << ",null";
  endLine(out);
}

void VynProfileLogReader::writeFinalizeAfterTensorUpdatesRows(std::ostream& out) {
  static const std::string kLabel = "FINALIZE_AFTER_TENSOR_UPDATES";
  for (std::size_t position = 0; position < tensorUpdateSeries.size(); ++position) {
    // The identifier carries each call's own name, which keeps the pass suffix
    // that the graph key drops.
    const std::string prefix = "Graph " + std::to_string(position) + ": ";
    for (const PhaseStat& call : tensorUpdateSeries[position].stats) {
      out << call.timestamp << ",FINALIZE AFTER TENSOR UPDATES," << call.value << kNetRunColumns
          << ',';
      writeCsvField(out, prefix + call.name);
      endLine(out);
      printEvent(out, call.subEvents, call.timestamp, kLabel, 0);
    }
  }
}

void VynProfileLogReader::writeContextRetrievalRows(std::ostream& out) {
  const auto writeRow = [&out](const std::string& key, const PhaseStat& stat) {
    out << stat.timestamp << ',';
    writeCsvField(out, key);
    out << ',' << stat.value << kNetRunColumns << ',';
    if (stat.name.empty())
      out << "null";
    else
      writeCsvField(out, stat.name);
    endLine(out);
  };
  for (const auto& [key, stat] : contextBinaryStats) writeRow(key, stat);
  for (const auto& [key, stats] : contextSectionSeries)
    for (const PhaseStat& stat : stats) writeRow(key, stat);
}

void VynProfileLogReader::writeUpdateBinarySectionRows(std::ostream& out) {
  static const std::string kLabel = "UPDATE_BINARY_SECTION";
  if (updateSectionStats.empty()) return;
  const PhaseStat& update = updateSectionStats.front().stat;
  out << update.timestamp << ",UPDATE BINARY SECTION," << update.value << ",US,TALV,ROOT,null";
  endLine(out);
  printEvent(out, update.subEvents, update.timestamp, kLabel, 0);
}

}  // namespace vyn::profiling
