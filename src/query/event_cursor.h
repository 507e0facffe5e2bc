// A walk over the events of a fleet in id order, as the event table reads
// them: the position, the event's ancestors (its parent and its path), and its
// cells computed only when a column asks for them.
#ifndef VYN_QUERY_EVENT_CURSOR_H_
#define VYN_QUERY_EVENT_CURSOR_H_

#include <cstdint>
#include <string>
#include <vector>

#include "analysis/export_row.h"
#include "model/event_list.h"
#include "query/fleet_index.h"

namespace vyn::query {

class EventCursor {
 public:
  explicit EventCursor(const FleetIndex& fleet) : fleet_(fleet) {}

  // Every event of the occurrences [first, end).
  void startOccurrences(std::uint32_t first, std::uint32_t end);
  // The event of a fleet-wide index alone.
  void startEvent(std::uint64_t event);
  // The events whose parent is the event of a fleet-wide index.
  void startChildren(std::uint64_t event);
  void next();
  bool eof() const { return eof_; }

  std::uint64_t id() const { return occurrence().firstEvent + row_ + 1; }
  std::uint32_t log() const { return occurrence().log; }
  std::uint32_t occurrenceIndex() const { return occurrence_; }
  // 0 for a top-level event.
  std::uint64_t parentId() const { return levels_.size() < 2 ? 0 : levels_[levels_.size() - 2].id; }
  std::uint64_t depth() const { return depth_; }
  const profiling::EventRow& row() const { return rows_[row_]; }
  std::string_view name() const;
  // Names from the top-level event down, joined by " / ", as the export writes it.
  const std::string& path();
  // The event as the export reads it, and its value, unit and text cells.
  const profiling::EventItem& item();
  const tools::EventColumns& cells();

 private:
  struct Level {
    std::uint64_t id;
    std::uint32_t row;
    std::size_t pathEnd;  // where its name ends in path_, once path_ holds it
  };

  const FleetOccurrence& occurrence() const { return fleet_.occurrences()[occurrence_]; }
  // Makes occurrence at the current one, from its first event; false when it holds none.
  bool enter(std::uint32_t occurrence);
  // Takes the event at row_ into the ancestors.
  void arrive();
  // Moves to the next event in id order, leaving occurrences up to end_.
  void advance();
  // Walks the current occurrence from its first event up to row.
  void replayTo(std::uint32_t row);

  const FleetIndex& fleet_;
  std::uint32_t occurrence_ = 0;
  std::uint32_t end_ = 0;  // the occurrence after the last one walked
  const profiling::EventRow* rows_ = nullptr;
  std::uint32_t count_ = 0;
  unsigned top_ = 0;
  std::uint32_t row_ = 0;
  std::uint64_t depth_ = 0;
  std::vector<Level> levels_;  // the current event's ancestors and itself
  bool eof_ = true;
  bool single_ = false;
  std::size_t childLevel_ = 0;  // with children_: where the parent sits in levels_
  bool children_ = false;

  // path_ holds the names of the first pathLevels_ levels: the path of the
  // next event is its parent's, kept, and its own name.
  bool pathReady_ = false;
  std::size_t pathLevels_ = 0;
  std::string path_;
  bool itemReady_ = false;
  profiling::EventItem item_;
  bool cellsReady_ = false;
  tools::EventColumns cells_;
};

}  // namespace vyn::query

#endif  // VYN_QUERY_EVENT_CURSOR_H_
