// Summary sections about reading compiled contexts back out of the runtime.
#include <string_view>

#include "report/summary_sections.h"
#include "report/text_layout.h"
#include "stats/phase_statistics.h"

namespace vyn::profiling {
namespace {

// The label under which a context retrieval measurement is shown.
std::string_view contextRetrievalLabel(std::string_view measurement) {
  if (measurement == "CONTEXT GET BINARY SIZE") return "Get Binary Size";
  if (measurement == "CONTEXT GET BINARY") return "Get Binary";
  return "";
}

void writeLabelledValue(base::TextBuffer& out, std::string_view label, std::uint64_t value) {
  out.text(label).character(':');
  out.endLine();
  writeValueLine(out, value);
  out.endLine();
}

}  // namespace

void writeContextRetrievalStats(base::TextBuffer& out, const ReportInput& input) {
  const LogModel& model = input.model;
  if (model.contextBinaryCalls.empty()) return;
  writeTitle(out, "Context Retrieval Stats:", 24);
  for (const ContextCall& call : model.contextBinaryCalls)
    writeLabelledValue(out, contextRetrievalLabel(call.measurement), call.occurrence.value);
}

void writeContextSectionRetrievalStats(base::TextBuffer& out, const ReportInput& input) {
  const std::vector<Occurrence>& sizes = input.model.contextSectionSizeCalls;
  if (sizes.empty()) return;
  const std::string_view label = "Get Binary Section Size";
  writeTitle(out, "Context Section Retrieval Stats (Average):", 47);
  writeLabelledValue(out, label, averageValueOf(sizes));
  writeTitle(out, "Context Section Retrieval Stats (Min):", 42);
  writeLabelledValue(out, label, minimumOf(sizes).value);
  writeTitle(out, "Context Section Retrieval Stats (Max):", 42);
  writeLabelledValue(out, label, maximumOf(sizes).value);
}

}  // namespace vyn::profiling
