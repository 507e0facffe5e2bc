// CSV rows of the events measured below a phase occurrence.
#include <string>
#include <vector>

#include "base/text_buffer.h"
#include "model/backend_identifiers.h"
#include "model/event_list.h"
#include "report/event_printers.h"
#include "report/event_text.h"
#include "report/profile_event_walk.h"

namespace vyn::profiling {

// The source and level columns for each depth from a first one, made once per
// depth (once per process for the usual depths).
class BackendRowEnds {
 public:
  explicit BackendRowEnds(std::uint64_t firstDepth) : firstDepth_(firstDepth) {}

  std::string_view below(std::uint64_t levels) {
    static const std::vector<std::string> kUsual = [] {
      std::vector<std::string> texts;
      for (std::uint64_t depth = 0; depth < 16; ++depth) texts.push_back(rowEnd(depth));
      return texts;
    }();
    const std::uint64_t depth = firstDepth_ + levels;
    if (depth < kUsual.size()) return kUsual[depth];
    while (others_.size() <= levels) others_.push_back(rowEnd(firstDepth_ + others_.size()));
    return others_[levels];
  }

 private:
  static std::string rowEnd(std::uint64_t depth) { return ",BACKEND," + eventLevelText(depth) + ","; }

  std::uint64_t firstDepth_;
  std::vector<std::string> others_;
};

namespace {

// The timestamp and message columns that open every row of one printer call.
std::string rowStart(std::uint64_t timestamp, std::string_view label) {
  std::string start = std::to_string(timestamp);
  start += ',';
  start += label;
  start += ',';
  return start;
}

// The columns that close every event row: source, level and name. rowEnd is
// the source and level columns with their separators (",BACKEND,ROOT,").
void appendRowEnd(base::TextBuffer& rows, std::string_view rowEnd, const EventItem& event) {
  rows.text(rowEnd).csvField(event.name);
  rows.endLine();
}

void appendBurstSettingRow(base::TextBuffer& rows, const EventItem& event) {
  switch (event.identifier) {
    case backend::kBurst:
    case backend::kBurstBlankValue:
    case backend::kBurstNameOnly:
      rows.character(',');
      break;
    case backend::kBurstMarker:
      rows.text(",Burst");
      break;
    default:
      appendCsvEventValue(rows, event.value).character(',');
      if (!backend::isUnitlessBurstValue(event.identifier)) rows.text(unitWord(event.unit));
      break;
  }
}

}  // namespace

template <typename Events>
void appendGenericEventRows(base::TextBuffer& rows, const Events& events, std::uint64_t timestamp,
                            std::string_view label) {
  const std::string start = rowStart(timestamp, label);
  walkEvents(events, [&](const EventItem& event) {
    if (event.unit != EventUnit::Object) {
      appendCsvEventValue(rows.text(start), event.value).character(',').text(unitWord(event.unit));
      appendRowEnd(rows, event.depth == 0 ? ",BACKEND,ROOT," : ",BACKEND,SUB-EVENT,", event);
    }
    // Only the first level below a top-level event has rows.
    return event.depth == 0;
  });
}

template <typename Events>
void appendBackendEventRows(base::TextBuffer& rows, const Events& events, std::uint64_t timestamp,
                            std::string_view label, std::uint64_t depth) {
  const std::string start = rowStart(timestamp, label);
  BackendRowEnds rowEnds(depth);
  std::uint64_t rowEndDepth = 0;
  std::string_view rowEnd = rowEnds.below(0);
  // While inside a burst event's sub-events, the depth of that burst event.
  bool inBurst = false;
  std::uint64_t burstDepth = 0;
  walkEvents(events, [&](const EventItem& event) {
    rows.text(start);
    if (event.depth != rowEndDepth) {
      rowEndDepth = event.depth;
      rowEnd = rowEnds.below(rowEndDepth);
    }
    if (inBurst && event.depth > burstDepth) {
      appendBurstSettingRow(rows, event);
      appendRowEnd(rows, rowEnd, event);
      return true;
    }
    inBurst = false;
    if (event.identifier == backend::kBurst) {
      // The events after a burst event keep their rows.
      rows.character(',');
      appendRowEnd(rows, rowEnd, event);
      inBurst = true;
      burstDepth = event.depth;
      return true;
    }
    if (backend::isNameOnly(event.identifier)) {
      rows.text("\"\"");
    } else if (event.identifier == backend::kHardwareUnits) {
      const auto mask = static_cast<std::uint8_t>(valueAsUnsigned(event.value) & 0xFFu);
      rows.character('"').text(backend::hardwareUnitNames(mask)).character('"');
    } else {
      appendCsvEventValue(rows, event.value);
    }
    rows.character(',').text(unitWord(event.unit));
    appendRowEnd(rows, rowEnd, event);
    return true;
  });
}

template void appendGenericEventRows(base::TextBuffer&, const std::vector<ProfileEvent>&, std::uint64_t,
                                     std::string_view);
template void appendBackendEventRows(base::TextBuffer&, const EventList&, std::uint64_t, std::string_view,
                                     std::uint64_t);
template void appendBackendEventRows(base::TextBuffer&, const std::vector<ProfileEvent>&, std::uint64_t,
                                     std::string_view, std::uint64_t);

}  // namespace vyn::profiling
