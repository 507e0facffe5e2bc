// Text-summary sections of the life-cycle phases other than execution.
#include "reader/vyn_profile_log_reader.h"
#include "report/text_layout.h"

namespace vyn::profiling {
namespace {

struct GraphPhaseSection {
  bool VynProfileLogReader::*condition;
  const char* title;
  int ruleWidth;
  std::vector<GraphPhaseStat> VynProfileLogReader::*source;
};

GraphPhaseSection graphPhaseSection(VynProfileLogReader::GraphPhaseKind kind) {
  using Reader = VynProfileLogReader;
  using Kind = Reader::GraphPhaseKind;
  switch (kind) {
    case Kind::ApplyBinarySectionAverage:
      return {&Reader::hasApplyBinarySection, "ApplyBinarySection Stats (Average):", 35,
              &Reader::applySectionAverage};
    case Kind::ApplyBinarySectionMin:
      return {&Reader::hasApplyBinarySection, "ApplyBinarySection Stats (Min):", 35,
              &Reader::applySectionMin};
    case Kind::ApplyBinarySectionMax:
      return {&Reader::hasApplyBinarySection, "ApplyBinarySection Stats (Max):", 35,
              &Reader::applySectionMax};
    case Kind::TensorUpdatesAverage:
      return {&Reader::hasFinalizeAfterTensorUpdates,
              "FinalizeAfterTensorUpdates Stats (Average):", 45, &Reader::tensorUpdateAverage};
    case Kind::TensorUpdatesMin:
      return {&Reader::hasFinalizeAfterTensorUpdates, "FinalizeAfterTensorUpdates Stats (Min):",
              40, &Reader::tensorUpdateMin};
    case Kind::TensorUpdatesMax:
      break;
  }
  return {&Reader::hasFinalizeAfterTensorUpdates, "FinalizeAfterTensorUpdates Stats (Max):", 40,
          &Reader::tensorUpdateMax};
}

}  // namespace

void VynProfileLogReader::writePhaseStats(std::ostream& out) {
  writeTitle(out, "Vyn Init/Prepare/Finalize/De-Init/Execute/Lib-Load Statistics:", 60);
  writeInitStats(out);
  writeComposeGraphsStats(out);
  writeFinalizeStats(out);
  writeDeInitStats(out);
}

void VynProfileLogReader::writeInitStats(std::ostream& out) {
  writeTitle(out, "Init Stats:", 11);
  writeValueLine(out, initTime);
  if (hasInitStat) {
    writeEventTree(out, initStat.subEvents, 1);
  } else if (hasInitAltStat) {
    writeEventTree(out, initAltStat.subEvents, 1);
  }
  endLine(out);
}

void VynProfileLogReader::writeComposeGraphsStats(std::ostream& out) {
  writeTitle(out, "Compose Graphs Stats:", 14);
  writeValueLine(out, composeTime);
  endLine(out);
}

void VynProfileLogReader::writeFinalizeStats(std::ostream& out) {
  writeTitle(out, "Finalize Stats:", 15);
  if (finalizeStats.empty()) {
    endLine(out);
    return;
  }
  for (std::size_t position = 0; position < finalizeStats.size(); ++position) {
    const GraphPhaseStat& entry = finalizeStats[position];
    writeGraphHeading(out, position, entry.graphName);
    writeValueLine(out, entry.stat.value);
    if (hasFinalizeStats) writeEventTree(out, entry.stat.subEvents, 1);
    endLine(out);
  }
}

void VynProfileLogReader::writeDeInitStats(std::ostream& out) {
  writeTitle(out, "De-Init Stats:", 14);
  writeValueLine(out, deInitStat.value);
  writeEventTree(out, deInitStat.subEvents, 1);
  endLine(out);
}

void VynProfileLogReader::writeGraphPhaseStats(std::ostream& out, GraphPhaseKind kind) {
  const GraphPhaseSection section = graphPhaseSection(kind);
  if (!(this->*section.condition)) return;
  writeTitle(out, section.title, section.ruleWidth);
  const std::vector<GraphPhaseStat>& entries = this->*section.source;
  for (std::size_t position = 0; position < entries.size(); ++position) {
    const GraphPhaseStat& entry = entries[position];
    writeGraphHeading(out, position, entry.graphName);
    writeValueLine(out, entry.stat.value);
    writeEventTree(out, entry.stat.subEvents, 1);
    endLine(out);
  }
}

}  // namespace vyn::profiling
