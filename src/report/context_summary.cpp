// Summary sections about reading compiled contexts back out of the runtime and
// about updating binary sections.
#include <string>
#include <vector>

#include "reader/phase_statistics.h"
#include "reader/vyn_profile_log_reader.h"
#include "report/text_layout.h"

namespace vyn::profiling {
namespace {

// The label under which a context retrieval statistic is shown; other keys
// (none are stored today) are shown with an empty label.
const char* contextRetrievalLabel(const std::string& key) {
  if (key == "CONTEXT GET BINARY SIZE") return "Get Binary Size";
  if (key == "CONTEXT GET BINARY") return "Get Binary";
  return "";
}

void writeLabelledValue(std::ostream& out, const std::string& label, std::uint64_t value) {
  out << label << ":";
  endLine(out);
  writeValueLine(out, value);
  endLine(out);
}

}  // namespace

void VynProfileLogReader::writeContextRetrievalStats(std::ostream& out) {
  if (!hasContextRetrieval) return;
  writeTitle(out, "Context Retrieval Stats:", 24);
  for (const auto& [key, stat] : contextBinaryStats)
    writeLabelledValue(out, contextRetrievalLabel(key), stat.value);
}

void VynProfileLogReader::writeContextSectionRetrievalStats(std::ostream& out) {
  if (!hasContextSectionRetrieval) return;
  // Only the section-size measurement is summarised; the titles stand even
  // when it is missing.
  const std::string label = "Get Binary Section Size";
  const std::vector<PhaseStat>* sizes = contextSectionSeries.find("CONTEXT GET BINARY SECTION SIZE");

  writeTitle(out, "Context Section Retrieval Stats (Average):", 47);
  if (sizes) writeLabelledValue(out, label, averagePhaseStats(*sizes).value);
  writeTitle(out, "Context Section Retrieval Stats (Min):", 42);
  if (sizes) writeLabelledValue(out, label, minPhaseStat(*sizes).value);
  writeTitle(out, "Context Section Retrieval Stats (Max):", 42);
  if (sizes) writeLabelledValue(out, label, maxPhaseStat(*sizes).value);
}

void VynProfileLogReader::writeUpdateBinarySectionStats(std::ostream& out) {
  if (!hasUpdateBinarySection) return;
  writeTitle(out, "UpdateBinarySection Stats:", 32);
  if (updateSectionStats.empty()) return;
  // Only the first entry is shown (loading keeps just the latest update); its
  // graph name is not printed.
  const PhaseStat& update = updateSectionStats.front().stat;
  writeValueLine(out, update.value);
  if (!update.subEvents.empty()) writeEventTree(out, update.subEvents, 1);
  endLine(out);
}

}  // namespace vyn::profiling
