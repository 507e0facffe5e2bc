#include "query/event_cursor.h"

#include <algorithm>

#include "analysis/export_event_columns.h"

namespace vyn::query {

bool EventCursor::enter(std::uint32_t occurrence) {
  occurrence_ = occurrence;
  const FleetOccurrence& entry = fleet_.occurrences()[occurrence];
  rows_ = entry.events.first();
  count_ = entry.events.count;
  row_ = 0;
  levels_.clear();
  pathLevels_ = 0;
  if (count_ == 0) return false;
  top_ = rows_[0].depth;
  arrive();
  return true;
}

void EventCursor::arrive() {
  // As the export walks: depth below the list's top, and the parent is the
  // latest event met above that depth.
  depth_ = static_cast<unsigned>(rows_[row_].depth) - top_;
  const std::size_t parents = static_cast<std::size_t>(std::min<std::uint64_t>(depth_, levels_.size()));
  levels_.resize(parents);
  pathLevels_ = std::min(pathLevels_, parents);
  levels_.push_back({id(), row_, 0});
  pathReady_ = itemReady_ = cellsReady_ = false;
}

void EventCursor::startOccurrences(std::uint32_t first, std::uint32_t end) {
  single_ = children_ = false;
  end_ = end;
  eof_ = false;
  for (std::uint32_t at = first; at < end; ++at) {
    if (enter(at)) return;
  }
  eof_ = true;
}

void EventCursor::replayTo(std::uint32_t row) {
  while (row_ < row) {
    ++row_;
    arrive();
  }
}

void EventCursor::startEvent(std::uint64_t event) {
  single_ = children_ = false;
  eof_ = event >= fleet_.eventCount();
  if (eof_) return;
  enter(fleet_.occurrenceOfEvent(event));
  replayTo(static_cast<std::uint32_t>(event - occurrence().firstEvent));
  single_ = true;
}

void EventCursor::startChildren(std::uint64_t event) {
  startEvent(event);
  if (eof_) return;
  single_ = false;
  children_ = true;
  childLevel_ = levels_.size() - 1;
  next();
}

void EventCursor::advance() {
  if (++row_ < count_) {
    arrive();
    return;
  }
  for (std::uint32_t at = occurrence_ + 1; at < end_; ++at) {
    if (enter(at)) return;
  }
  eof_ = true;
}

void EventCursor::next() {
  if (eof_) return;
  if (single_) {
    eof_ = true;
    return;
  }
  if (!children_) {
    advance();
    return;
  }
  // Within the parent's subtree, the events one level below it.
  while (true) {
    if (++row_ >= count_) {
      eof_ = true;
      return;
    }
    arrive();
    if (levels_.size() <= childLevel_ + 1) {
      eof_ = true;  // past the parent's last descendant
      return;
    }
    if (levels_.size() == childLevel_ + 2) return;
  }
}

std::string_view EventCursor::name() const { return fleet_.model(occurrence().log).text(rows_[row_].name); }

const std::string& EventCursor::path() {
  if (!pathReady_) {
    const profiling::LogModel& model = fleet_.model(occurrence().log);
    path_.resize(pathLevels_ == 0 ? 0 : levels_[pathLevels_ - 1].pathEnd);
    for (std::size_t level = pathLevels_; level < levels_.size(); ++level) {
      if (level != 0) path_ += " / ";
      path_ += model.text(rows_[levels_[level].row].name);
      levels_[level].pathEnd = path_.size();
    }
    pathLevels_ = levels_.size();
    pathReady_ = true;
  }
  return path_;
}

const profiling::EventItem& EventCursor::item() {
  if (!itemReady_) {
    item_ = fleet_.model(occurrence().log).list(occurrence().events).item(rows_[row_], depth_);
    itemReady_ = true;
  }
  return item_;
}

const tools::EventColumns& EventCursor::cells() {
  if (!cellsReady_) {
    tools::setEventValueColumns(item(), cells_);
    cellsReady_ = true;
  }
  return cells_;
}

}  // namespace vyn::query
