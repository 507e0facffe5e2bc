#include "analysis/top_view.h"

#include <cstdio>

#include "analysis/text_table.h"
#include "base/json_text.h"
#include "base/number_text.h"
#include "base/terminal_text.h"
#include "stats/figure_text.h"

namespace vyn::tools {
namespace {

void appendKey(std::string& out, const char* key) {
  out += '"';
  out += key;
  out += "\":";
}

void appendField(std::string& out, const char* key, std::uint64_t value) {
  appendKey(out, key);
  base::appendNumber(out, value);
  out += ',';
}

void appendField(std::string& out, const char* key, double value) {
  appendKey(out, key);
  base::appendShortest(out, value);
  out += ',';
}

void appendTextField(std::string& out, const char* key, std::string_view text) {
  appendKey(out, key);
  base::appendJsonString(out, text);
  out += ',';
}

// Over the interval's executions, or null when it had none.
void appendIntervalField(std::string& out, const char* key, std::size_t count, double value) {
  if (count == 0) {
    appendKey(out, key);
    out += "null,";
  } else {
    appendField(out, key, value);
  }
}

void closeObject(std::string& out, char close) {
  if (out.back() == ',') out.pop_back();
  out += close;
}

}  // namespace

double executionRate(const TopRefresh& refresh, const profiling::LiveGraphFigures& graph) {
  if (refresh.intervalSeconds <= 0) return 0;
  return static_cast<double>(graph.interval.count) / refresh.intervalSeconds;
}

std::string topLine(const TopRefresh& refresh, const profiling::LogModel& model) {
  std::string out = "{";
  appendField(out, "time_s", refresh.timeSeconds);
  appendField(out, "bytes", refresh.bytes);
  appendField(out, "records", refresh.records);
  appendField(out, "waiting_bytes", refresh.waitingBytes);
  appendKey(out, "complete");
  out += refresh.waitingBytes == 0 && !refresh.fault ? "true," : "false,";
  if (refresh.fault) {
    appendTextField(out, "fault", *refresh.fault);
  } else {
    out += "\"fault\":null,";
  }
  appendKey(out, "graphs");
  out += '[';
  for (const profiling::LiveGraphFigures& graph : refresh.graphs) {
    out += '{';
    appendTextField(out, "name", model.text(graph.graph));
    appendField(out, "executions", graph.executions);
    appendField(out, "new_executions", std::uint64_t{graph.interval.count});
    appendField(out, "rate_per_s", executionRate(refresh, graph));
    appendField(out, "last_us", graph.lastUs);
    appendField(out, "p50_us", graph.p50Us);
    appendField(out, "p99_us", graph.p99Us);
    appendIntervalField(out, "interval_p50_us", graph.interval.count, graph.interval.p50);
    appendIntervalField(out, "interval_p99_us", graph.interval.count, graph.interval.p99);
    appendKey(out, "events");
    out += '[';
    for (const profiling::LiveEventTotal& event : graph.topEvents) {
      out += '{';
      appendTextField(out, "path", event.path);
      appendTextField(out, "unit", eventUnitName(event.unit));
      appendField(out, "total", event.total);
      appendField(out, "occurrences", event.occurrences);
      closeObject(out, '}');
      out += ',';
    }
    closeObject(out, ']');
    closeObject(out, '}');
    out += ',';
  }
  closeObject(out, ']');
  out += "}\n";
  return out;
}

std::string topScreen(const std::string& logPath, const TopRefresh& refresh, const profiling::LogModel& model) {
  std::string out = base::terminalText(logPath) + ": " + countText(refresh.records) +
                    (refresh.records == 1 ? " record, " : " records, ") + countText(refresh.bytes) + " bytes";
  if (refresh.fault) {
    out += "; stopped reading at damage: " + base::terminalText(*refresh.fault);
  } else if (refresh.waitingBytes > 0) {
    out += "; waiting for the rest of a record (" + countText(refresh.waitingBytes) + " bytes so far)";
  }
  char elapsed[32];
  std::snprintf(elapsed, sizeof elapsed, "  [%.1f s]\n\n", refresh.timeSeconds);
  out += elapsed;
  if (refresh.graphs.empty()) {
    out += "no executions yet\n";
    return out;
  }
  const auto interval = [](const profiling::LiveGraphFigures& graph, double value) {
    return graph.interval.count == 0 ? std::string("-") : figureText(value);
  };
  TextTable graphs({"graph", "executions", "per s", "last us", "p50 us", "p99 us", "last p50", "last p99"}, 1);
  for (const profiling::LiveGraphFigures& graph : refresh.graphs) {
    graphs.addRow({std::string(model.text(graph.graph)), countText(graph.executions),
                   figureText(executionRate(refresh, graph)), figureText(static_cast<double>(graph.lastUs)),
                   figureText(graph.p50Us), figureText(graph.p99Us), interval(graph, graph.interval.p50),
                   interval(graph, graph.interval.p99)});
  }
  graphs.appendTo(out, 0);
  out += "(last p50, last p99: over the executions since the previous refresh)\n";
  for (const profiling::LiveGraphFigures& graph : refresh.graphs) {
    if (graph.topEvents.empty()) continue;
    out += "\n" + base::terminalText(model.text(graph.graph)) + ": events by total\n";
    TextTable events({"path", "unit", "total", "occurrences"}, 2);
    for (const profiling::LiveEventTotal& event : graph.topEvents) {
      events.addRow(
          {event.path, std::string(eventUnitName(event.unit)), figureText(event.total), countText(event.occurrences)});
    }
    events.appendTo(out, 2);
  }
  return out;
}

}  // namespace vyn::tools
