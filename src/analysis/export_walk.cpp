#include "analysis/export_walk.h"

#include <algorithm>
#include <string>
#include <string_view>
#include <vector>

#include "analysis/export_event_columns.h"
#include "base/csv_field.h"

namespace vyn::tools {
namespace {

using profiling::EventItem;
using profiling::EventSpan;
using profiling::GraphSeries;
using profiling::LogModel;
using profiling::Occurrence;
using profiling::TextId;

class ExportWalk {
 public:
  ExportWalk(const LogModel& model, ExportRowSink* rows, ExportOccurrenceSink* occurrences)
      : model_(model), rows_(rows), occurrences_(occurrences) {}

  void run() {
    // Init and compose keep the timestamp even of a message the reader's level
    // leaves out: they count as taken once they hold anything else.
    if (model_.initMessageTime != 0 || model_.initName != profiling::kEmptyText || model_.initEvents) {
      const EventSpan events = model_.initEvents.value_or(EventSpan{});
      session("init", model_.initMessageTimestamp, model_.initMessageTime, events);
    }
    if (model_.contextCreation) session("context_creation", *model_.contextCreation);
    if (model_.libraryLoad) session("library_load", *model_.libraryLoad);
    if (model_.composeTime != 0 || !model_.composeNames.empty()) {
      session("compose", model_.composeTimestamp, model_.composeTime, EventSpan{});
    }
    for (const profiling::GraphOccurrence& entry : model_.finalizations) {
      graphOccurrence("finalize", entry.graph, 0, entry.occurrence);
    }
    series("execute", model_.executions);
    if (model_.executeOverall) session("execute_overall", *model_.executeOverall);
    series("apply_binary_section", model_.sectionApplications);
    series("tensor_update", model_.tensorUpdates);
    if (model_.sectionUpdate) session("update_binary_section", *model_.sectionUpdate);
    // The measurements in a fixed order, whatever order their calls came in.
    static constexpr struct {
      std::string_view measurement, phase;
    } kContextCalls[] = {{"CONTEXT GET BINARY SIZE", "context_get_binary_size"},
                         {"CONTEXT GET BINARY", "context_get_binary"}};
    for (const auto& kind : kContextCalls) {
      for (const profiling::ContextCall& call : model_.contextBinaryCalls) {
        if (call.measurement == kind.measurement) session(kind.phase, call.occurrence);
      }
    }
    for (std::size_t index = 0; index < model_.contextSectionSizeCalls.size(); ++index) {
      emit(sessionKey("context_get_binary_section_size", index), model_.contextSectionSizeCalls[index]);
    }
    // De-init is kept without a flag; a taken message leaves at least its timestamp.
    const Occurrence& deInit = model_.deInit;
    if (deInit.value != 0 || deInit.timestamp != 0 || deInit.name != profiling::kEmptyText || !deInit.events.empty()) {
      session("deinit", deInit);
    }
  }

 private:
  static OccurrenceColumns sessionKey(std::string_view phase, std::uint64_t index) {
    OccurrenceColumns key;
    key.phase = phase;
    key.occurrence = index;
    return key;
  }

  void session(std::string_view phase, const Occurrence& occurrence) { emit(sessionKey(phase, 0), occurrence); }

  void session(std::string_view phase, std::uint64_t timestamp, std::uint64_t duration, EventSpan events) {
    Occurrence occurrence;
    occurrence.timestamp = timestamp;
    occurrence.value = duration;
    occurrence.events = events;
    session(phase, occurrence);
  }

  void series(std::string_view phase, const std::vector<GraphSeries>& graphs) {
    for (const GraphSeries& graph : graphs) {
      for (std::size_t index = 0; index < graph.occurrences.size(); ++index) {
        graphOccurrence(phase, graph.graph, index, graph.occurrences[index]);
      }
    }
  }

  void graphOccurrence(std::string_view phase, TextId graph, std::uint64_t index, const Occurrence& occurrence) {
    OccurrenceColumns key = sessionKey(phase, index);
    key.hasGraph = true;
    key.graph = model_.text(graph);
    key.graphHasSeparators = base::holdsCsvSeparators(key.graph);
    emit(key, occurrence);
  }

  // The occurrence's row, then its events' rows.
  void emit(OccurrenceColumns key, const Occurrence& occurrence) {
    key.timestamp = occurrence.timestamp;
    key.duration = occurrence.value;
    if (occurrences_ != nullptr) {
      occurrences_->occurrence(key, occurrence);
      return;
    }
    if (!rows_->healthy()) return;
    rows_->occurrence(key);
    events(model_.list(occurrence.events));
  }

  // Every event with the path of names down to it. The path of the event last
  // met at each depth is a prefix of path_, up to levels_[depth].end.
  void events(const profiling::EventList& list) {
    path_.clear();
    levels_.clear();
    EventColumns row;
    profiling::walkEvents(list, [&](const EventItem& event) {
      const std::size_t parents = std::min<std::size_t>(event.depth, levels_.size());
      levels_.resize(parents);
      bool separators = false;
      if (parents == 0) {
        path_.clear();
      } else {
        path_.resize(levels_.back().end);
        separators = levels_.back().separators;
        path_ += " / ";
      }
      path_ += event.name;
      separators = separators || base::holdsCsvSeparators(event.name);
      levels_.push_back({path_.size(), separators});

      row.path = path_;
      row.pathHasSeparators = separators;
      row.depth = event.depth;
      setEventValueColumns(event, row);
      rows_->event(row);
      return true;
    });
  }

  struct Level {
    std::size_t end;
    bool separators;
  };

  const LogModel& model_;
  ExportRowSink* rows_;                // every row, when occurrences_ is null
  ExportOccurrenceSink* occurrences_;  // the occurrences alone
  std::string path_;
  std::vector<Level> levels_;
};

}  // namespace

void walkExportRows(const LogModel& model, ExportRowSink& sink) { ExportWalk(model, &sink, nullptr).run(); }

void walkExportOccurrences(const LogModel& model, ExportOccurrenceSink& sink) {
  ExportWalk(model, nullptr, &sink).run();
}

}  // namespace vyn::tools
