// CSV rows of the events measured below a phase occurrence: the generic rows
// (one level of sub-events) and the Xtu back-end rows (every level, with the
// back-end's identifiers steering the value column). Each printer call gathers
// its rows in one text buffer.
#include <string>
#include <string_view>

#include "capture/event_value.h"
#include "reader/vyn_profile_log_reader_xtu.h"
#include "report/backend_identifiers.h"
#include "report/event_text.h"
#include "report/text_buffer.h"

namespace vyn::profiling {
namespace {

// The timestamp and message columns that open every row of one printer call.
std::string rowStart(std::uint64_t timestamp, const std::string& label) {
  return std::to_string(timestamp) + ',' + label + ',';
}

// Source, level and name columns that close every event row.
void appendRowEnd(TextBuffer& rows, const std::string& level, const std::string& name) {
  rows.text(",BACKEND,").text(level).character(',').csvField(name);
  rows.endLine();
}

void appendGenericRow(TextBuffer& rows, const ProfileEvent& event, std::string_view start,
                      const std::string& level) {
  rows.text(start);
  rows.csvEventValue(event.value).character(',').text(unitWord(event.unit));
  appendRowEnd(rows, level, event.name);
}

void appendBurstRows(TextBuffer& rows, const std::vector<ProfileEvent>& events,
                     std::string_view start, std::uint64_t depth) {
  const std::string level = eventLevelText(depth);
  for (const ProfileEvent& event : events) {
    rows.text(start);
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
        rows.csvEventValue(event.value).character(',');
        if (!backend::isUnitlessBurstValue(event.identifier)) rows.text(unitWord(event.unit));
        break;
    }
    appendRowEnd(rows, level, event.name);
    if (!event.subEvents.empty()) {
      appendBurstRows(rows, event.subEvents, start, depth + 1);
    }
  }
}

void appendXtuRows(TextBuffer& rows, const std::vector<ProfileEvent>& events,
                   std::string_view start, std::uint64_t depth) {
  const std::string level = eventLevelText(depth);
  for (const ProfileEvent& event : events) {
    rows.text(start);
    if (event.identifier == backend::kBurst) {
      rows.character(',');
      appendRowEnd(rows, level, event.name);
      appendBurstRows(rows, event.subEvents, start, depth + 1);
      // The events after a burst event belong to the same occurrence and keep their rows.
      continue;
    }
    if (backend::isNameOnly(event.identifier)) {
      rows.text("\"\"");
    } else if (event.identifier == backend::kHardwareUnits) {
      const auto mask = static_cast<std::uint8_t>(eventValueAsUnsigned(event.value) & 0xFFu);
      rows.character('"').text(formatUnitMask(mask)).character('"');
    } else {
      rows.csvEventValue(event.value);
    }
    rows.character(',').text(unitWord(event.unit));
    appendRowEnd(rows, level, event.name);
    if (!event.subEvents.empty()) {
      appendXtuRows(rows, event.subEvents, start, depth + 1);
    }
  }
}

}  // namespace

void VynProfileLogReader::printEvent(std::ostream& out, const std::vector<ProfileEvent>& events,
                                     std::uint64_t messageTimestamp,
                                     const std::string& messageLabel, std::uint64_t) {
  static const std::string kRoot = "ROOT";
  static const std::string kSubEvent = "SUB-EVENT";
  const std::string start = rowStart(messageTimestamp, messageLabel);
  TextBuffer rows(out);
  for (const ProfileEvent& event : events) {
    if (event.unit != EventUnit::Object) appendGenericRow(rows, event, start, kRoot);
    // Only the first level below a root event has rows.
    for (const ProfileEvent& subEvent : event.subEvents) {
      if (subEvent.unit != EventUnit::Object) {
        appendGenericRow(rows, subEvent, start, kSubEvent);
      }
    }
  }
}

void VynProfileLogReaderXtu::printEvent(std::ostream& out, const std::vector<ProfileEvent>& events,
                                        std::uint64_t messageTimestamp,
                                        const std::string& messageLabel, std::uint64_t depth) {
  TextBuffer rows(out);
  appendXtuRows(rows, events, rowStart(messageTimestamp, messageLabel), depth);
}

void VynProfileLogReaderXtu::printBurstEventRows(std::ostream& out,
                                                 const std::vector<ProfileEvent>& events,
                                                 std::uint64_t messageTimestamp,
                                                 const std::string& messageLabel,
                                                 std::uint64_t depth) {
  TextBuffer rows(out);
  appendBurstRows(rows, events, rowStart(messageTimestamp, messageLabel), depth);
}

}  // namespace vyn::profiling
