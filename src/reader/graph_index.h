// Where each graph's entry sits in one of the reader's per-graph vectors.
#ifndef VYN_READER_GRAPH_INDEX_H_
#define VYN_READER_GRAPH_INDEX_H_

#include <cstddef>
#include <string>
#include <unordered_map>
#include <vector>

namespace vyn::profiling {

// The per-graph vectors hold one entry per graph, in the order in which the
// graphs first appeared, and only grow while a log is read. The index remembers
// the position of each graph name and catches up with the entries appended since
// it was last used, so that a log naming many graphs is not walked whole for
// every message. It holds nothing that a report reads.
class GraphIndex {
 public:
  static constexpr std::size_t npos = static_cast<std::size_t>(-1);

  // The position of the first entry named graphName, or npos.
  template <typename Entry>
  std::size_t find(const std::vector<Entry>& entries, const std::string& graphName) {
    if (entries.size() < indexed_) {  // the vector was emptied: start again
      positions_.clear();
      indexed_ = 0;
    }
    for (; indexed_ < entries.size(); ++indexed_) positions_.emplace(entries[indexed_].graphName, indexed_);
    const auto found = positions_.find(graphName);
    return found == positions_.end() ? npos : found->second;
  }

 private:
  std::unordered_map<std::string, std::size_t> positions_;
  std::size_t indexed_ = 0;
};

}  // namespace vyn::profiling

#endif  // VYN_READER_GRAPH_INDEX_H_
