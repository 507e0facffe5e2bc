#include "report/backend_dump.h"

#include "model/backend_identifiers.h"
#include "report/event_text.h"
#include "report/summary_sections.h"
#include "report/text_layout.h"

namespace vyn::profiling {
namespace {

void appendValueWithUnit(base::TextBuffer& lines, const EventItem& event) {
  appendEventValue(lines, event.value).character(' ').text(unitSuffix(event.unit));
}

void appendBackendSubEvent(base::TextBuffer& lines, const EventItem& event) {
  lines.blanks(sectionIndent * event.depth).text(event.name);
  if (!backend::isNameOnly(event.identifier)) {
    lines.text(" : ");
    if (event.identifier == backend::kHardwareUnits) {
      lines.text(backend::hardwareUnitNames(static_cast<std::uint8_t>(valueAsUnsigned(event.value) & 0xFFu)));
    } else {
      appendValueWithUnit(lines, event);
    }
  }
  lines.endLine();
}

void appendBurstSetting(base::TextBuffer& lines, const EventItem& event) {
  lines.blanks(sectionIndent * event.depth).text(event.name);
  if (event.identifier == backend::kBurstMarker) {
    lines.text(" : Burst");
  } else if (event.identifier == backend::kBurstBlankValue) {
    lines.text(" : ");
  } else if (backend::isUnitlessBurstValue(event.identifier)) {
    appendEventValue(lines.text(" : "), event.value);
  } else if (event.identifier != backend::kBurstNameOnly) {
    lines.text(" : ");
    appendValueWithUnit(lines, event);
  }
  lines.endLine();
}

// Every burst event of the list, with its settings below it.
void appendBurstBlock(base::TextBuffer& lines, const EventList& events) {
  walkEvents(events, [&lines](const EventItem& event) {
    if (event.depth == 0) {
      if (event.identifier != backend::kBurst) return false;
      lines.text(event.name).text(" : ");
      lines.endLine();
      return true;
    }
    appendBurstSetting(lines, event);
    return true;
  });
}

}  // namespace

void appendBackendEvents(base::TextBuffer& dump, const EventList& events) {
  bool burstBlockWritten = false;
  walkEvents(events, [&](const EventItem& event) {
    if (event.depth > 0) {
      appendBackendSubEvent(dump, event);
      return true;
    }
    if (event.identifier == backend::kBurst) {
      // One block holds every burst event of the list, at the first one's place.
      if (!burstBlockWritten) appendBurstBlock(dump, events);
      burstBlockWritten = true;
      return false;
    }
    if (backend::isHiddenFromDump(event.identifier)) return false;
    dump.text(event.name).text(" : ");
    appendValueWithUnit(dump, event);
    dump.endLine();
    return true;
  });
}

void writeBackendPhaseStats(base::TextBuffer& out, const ReportInput& input, EventPrinter& events) {
  writeTitle(out, "Vyn Init/Prepare/Finalize/De-Init/Execute/Lib-Load Statistics:", 60);
  writeInitStats(out, input, events);
  writeComposeGraphsStats(out, input);
  // Finalize results appear in the dump instead.
  writeDeInitStats(out, input, events);
}

void writeBackendData(base::TextBuffer& out, const ReportInput& input) {
  const LogModel& model = input.model;
  out.text("\nPrinting All Data Received From Back End\n");
  if (model.contextCreation) {
    out.text("\nCreate From Binary Stats:\n");
    appendBackendEvents(out, model.list(model.contextCreation->events));
    out.endLine();
  }
  if (model.finalizeMessageSeen) {
    out.text("\nFinalize Stats:\n");
    for (const GraphOccurrence& entry : model.finalizations) {
      appendBackendEvents(out, model.list(entry.occurrence.events));
      out.endLine();
    }
  }
  if (!model.executions.empty()) out.text("\nExecute Stats: \n");
  for (const GraphSeries& series : model.executions) {
    for (std::size_t position = 0; position < series.occurrences.size(); ++position) {
      out.text("\nExecute Stat ").number(position + 1).text("\n\n");
      appendBackendEvents(out, model.list(series.occurrences[position].events));
    }
  }
}

}  // namespace vyn::profiling
