// Merging the event lists of many phase occurrences into one list by name, and
// averaging the merged values.
#ifndef VYN_STATS_EVENT_AVERAGER_H_
#define VYN_STATS_EVENT_AVERAGER_H_

#include <cstdint>
#include <unordered_map>
#include <utility>
#include <vector>

#include "base/arena.h"
#include "base/text_id_map.h"
#include "model/event_list.h"
#include "model/event_row.h"

namespace vyn::profiling {

// Adds event lists, one after the other, into an accumulated list.
//
// At each level an incoming event is merged into the first accumulated event of
// the same name that was there when its list arrived, and its sub-events into
// that event's sub-events; an incoming event without a match is appended, with
// all its sub-events as they are, after its list has been walked, unless it
// only carries raw data (unit Object). An empty accumulated level takes every
// incoming event that is not raw data, as it is.
//
// Values add up in a type that holds both sides: signed with signed, floating
// when either is floating, unsigned otherwise; a text or an absent value stays
// as it is and is not counted. finish() divides every sum by its count.
class EventAverager {
 public:
  EventAverager();

  void add(const EventList& incoming);

  // The averaged events, in pre-order. Ends the averager's use.
  std::vector<EventRow> finish();

 private:
  static constexpr std::uint32_t kNone = 0xFFFFFFFFu;

  // An accumulated event. Its sub-events are a chain from firstChild through
  // nextSibling; node 0 is the root, whose sub-events are the top level.
  struct Node {
    EventRow row;
    std::uint64_t count = 1;
    std::uint32_t firstChild = kNone;
    std::uint32_t lastChild = kNone;
    std::uint32_t nextSibling = kNone;
    std::uint32_t childCount = 0;
  };
  // The first position of each name among a long level's events, kept between
  // lists so that occurrences which bring names of their own cost what they hold.
  struct LevelIndex {
    base::TextIdMap<TextId> firstNode;
    std::uint32_t lastIndexed = kNone;
    bool distinct = true;  // no two of the indexed events share a name
  };
  // Nodes live in blocks that never move, so that a large average does not need
  // twice its size while it grows. Blocks start small, as most averages are,
  // and double: 64 nodes (twice), 128, ..., 2048, so that node i < 4096 is in
  // the block of i's highest bit; from 4096 on every block has 4096 nodes.
  static constexpr unsigned kSmallBits = 6;
  static constexpr unsigned kBlockBits = 12;

  // Merges the events of rows [begin, end), all at or below depth, into parent.
  void mergeLevel(std::uint32_t parent, const EventRow* begin, const EventRow* end);
  // The first sub-event of parent named name, or kNone. guess is tried first.
  std::uint32_t find(std::uint32_t parent, TextId name, std::uint32_t guess);
  // Appends the event at row and its sub-events to parent; returns the row after them.
  const EventRow* copy(std::uint32_t parent, const EventRow* row, const EventRow* end);
  std::uint32_t addNode(const EventRow& row);
  std::uint32_t addChild(std::uint32_t parent, const EventRow& row);
  void finishNode(std::uint32_t node, std::uint8_t depth, std::vector<EventRow>& rows);

  Node& node(std::uint32_t index) {
    if (index >> kBlockBits != 0) {
      return blocks_[kBlockBits - kSmallBits + (index >> kBlockBits)][index & ((1u << kBlockBits) - 1)];
    }
    if (index >> kSmallBits == 0) return blocks_[0][index];
    const unsigned top = 31u - static_cast<unsigned>(__builtin_clz(index));
    return blocks_[top - kSmallBits + 1][index - (1u << top)];
  }

  base::Arena memory_;
  std::vector<Node*> blocks_;
  std::uint32_t nodeCount_ = 0;
  std::unordered_map<std::uint32_t, LevelIndex> levelIndexes_;
  // Unmatched incoming events (first row and the row after their sub-events),
  // waiting for their list to be walked.
  std::vector<std::pair<const EventRow*, const EventRow*>> newcomers_;
};

}  // namespace vyn::profiling

#endif  // VYN_STATS_EVENT_AVERAGER_H_
