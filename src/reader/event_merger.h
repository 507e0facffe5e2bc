// Merging the event trees of many phase occurrences into one list by name.
#ifndef VYN_READER_EVENT_MERGER_H_
#define VYN_READER_EVENT_MERGER_H_

#include <cstddef>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "vyn/profiling/profile_event.h"

namespace vyn::profiling {

// Adds incoming event lists, one after the other, into an accumulated list.
//
// At each level an incoming event is merged into the first accumulated event of
// the same name that was there when its list arrived, and its sub-events into
// that event's sub-events; an incoming event without a match (unless it only
// carries raw data) is appended as a copy after the list has been walked. An
// empty accumulated level takes copies of the incoming events as they are.
//
// Long levels keep an index from each name to its first position, kept between
// lists, so that occurrences which bring names of their own (a counter in every
// event's name, say) cost what they hold and not the size of everything merged
// before them. Short levels are searched in order, which is quicker at that size.
class EventMerger {
 public:
  explicit EventMerger(std::vector<ProfileEvent>& accumulated) : accumulated_(accumulated) {}
  EventMerger(const EventMerger&) = delete;
  EventMerger& operator=(const EventMerger&) = delete;

  void merge(const std::vector<ProfileEvent>& incoming) { mergeLevel(root_, accumulated_, incoming); }

 private:
  // What is known of one accumulated list: the first position of each name among
  // its first `indexed` events, whether those names are all different, and the
  // same for the sub-events of each of them.
  struct Level {
    std::unordered_map<std::string, std::size_t> firstPosition;
    std::size_t indexed = 0;
    bool distinct = true;
    std::vector<std::unique_ptr<Level>> children;
  };

  static void mergeLevel(Level& level, std::vector<ProfileEvent>& accumulated,
                         const std::vector<ProfileEvent>& incoming);
  // The position of the first event named `name` among the first `searched`
  // events of accumulated, or `searched` when there is none. Occurrences mostly
  // list their events in the same order, so position `likely` is tried first.
  static std::size_t find(Level& level, const std::vector<ProfileEvent>& accumulated,
                          std::size_t searched, const std::string& name, std::size_t likely);
  static Level& child(Level& level, std::size_t position);

  std::vector<ProfileEvent>& accumulated_;
  Level root_;
};

}  // namespace vyn::profiling

#endif  // VYN_READER_EVENT_MERGER_H_
