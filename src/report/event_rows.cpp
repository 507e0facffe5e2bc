// CSV rows of the events measured below a phase occurrence: the generic rows
// (one level of sub-events) and the Xtu back-end rows (every level, with the
// back-end's identifiers steering the value column).
#include "capture/event_value.h"
#include "reader/vyn_profile_log_reader_xtu.h"
#include "report/backend_identifiers.h"
#include "report/csv_field.h"
#include "report/event_text.h"
#include "report/text_layout.h"

namespace vyn::profiling {
namespace {

// Timestamp and message columns that open every event row.
void writeRowStart(std::ostream& out, std::uint64_t timestamp, const std::string& label) {
  out << timestamp << ',' << label << ',';
}

// Source, level and name columns that close every event row.
void writeRowEnd(std::ostream& out, const std::string& level, const std::string& name) {
  out << ",BACKEND," << level << ',';
  writeCsvField(out, name);
  endLine(out);
}

void writeGenericRow(std::ostream& out, const ProfileEvent& event, std::uint64_t timestamp,
                     const std::string& label, const std::string& level) {
  writeRowStart(out, timestamp, label);
  writeCsvField(out, formatEventValue(event.value));
  out << ',' << unitName(event.unit);
  writeRowEnd(out, level, event.name);
}

}  // namespace

void VynProfileLogReader::printEvent(std::ostream& out, const std::vector<ProfileEvent>& events,
                                     std::uint64_t messageTimestamp,
                                     const std::string& messageLabel, std::uint64_t) {
  static const std::string kRoot = "ROOT";
  static const std::string kSubEvent = "SUB-EVENT";
  for (const ProfileEvent& event : events) {
    if (event.unit != EventUnit::Object) {
      writeGenericRow(out, event, messageTimestamp, messageLabel, kRoot);
    }
    // Only the first level below a root event has rows.
    for (const ProfileEvent& subEvent : event.subEvents) {
      if (subEvent.unit != EventUnit::Object) {
        writeGenericRow(out, subEvent, messageTimestamp, messageLabel, kSubEvent);
      }
    }
  }
}

void VynProfileLogReaderXtu::printEvent(std::ostream& out, const std::vector<ProfileEvent>& events,
                                        std::uint64_t messageTimestamp,
                                        const std::string& messageLabel, std::uint64_t depth) {
  const std::string level = eventLevelText(depth);
  for (const ProfileEvent& event : events) {
    writeRowStart(out, messageTimestamp, messageLabel);
    if (event.identifier == backend::kBurst) {
      out << ',';
      writeRowEnd(out, level, event.name);
      printBurstEventRows(out, event.subEvents, messageTimestamp, messageLabel, depth + 1);
      // The events after a burst event belong to the same occurrence and keep their rows.
      continue;
    }
    if (backend::isNameOnly(event.identifier)) {
      out << "\"\"";
    } else if (event.identifier == backend::kHardwareUnits) {
      const auto mask = static_cast<std::uint8_t>(eventValueAsUnsigned(event.value) & 0xFFu);
      out << '"' << formatUnitMask(mask) << '"';
    } else {
      writeCsvField(out, formatEventValue(event.value));
    }
    out << ',' << unitName(event.unit);
    writeRowEnd(out, level, event.name);
    if (!event.subEvents.empty()) {
      VynProfileLogReaderXtu::printEvent(out, event.subEvents, messageTimestamp, messageLabel,
                                         depth + 1);
    }
  }
}

void VynProfileLogReaderXtu::printBurstEventRows(std::ostream& out,
                                                 const std::vector<ProfileEvent>& events,
                                                 std::uint64_t messageTimestamp,
                                                 const std::string& messageLabel,
                                                 std::uint64_t depth) {
  const std::string level = eventLevelText(depth);
  for (const ProfileEvent& event : events) {
    writeRowStart(out, messageTimestamp, messageLabel);
    switch (event.identifier) {
      case backend::kBurst:
      case backend::kBurstBlankValue:
      case backend::kBurstNameOnly:
        out << ',';
        break;
      case backend::kBurstMarker:
        out << ",Burst";
        break;
      default:
        writeCsvField(out, formatEventValue(event.value));
        out << ',';
        if (!backend::isUnitlessBurstValue(event.identifier)) out << unitName(event.unit);
        break;
    }
    writeRowEnd(out, level, event.name);
    if (!event.subEvents.empty()) {
      printBurstEventRows(out, event.subEvents, messageTimestamp, messageLabel, depth + 1);
    }
  }
}

}  // namespace vyn::profiling
