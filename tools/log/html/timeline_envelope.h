// A long series drawn as one band per pixel column: the smallest and largest
// value of the executions that fall in the column, so that a hundred thousand
// executions cost as much as eight hundred and no spike is lost.
#ifndef VYN_TOOLS_LOG_HTML_TIMELINE_ENVELOPE_H_
#define VYN_TOOLS_LOG_HTML_TIMELINE_ENVELOPE_H_

#include <cstddef>
#include <vector>

namespace vyn::tools {

struct EnvelopeColumn {
  std::size_t first = 0;  // the column's executions: [first, end)
  std::size_t end = 0;
  double min = 0;
  double max = 0;
};

// The values cut into at most columns runs of consecutive values, as even as
// whole values allow (run c is [c n / columns, (c + 1) n / columns)), with
// each run's extremes. Fewer values than columns: one column each. No values
// or no columns: none.
std::vector<EnvelopeColumn> envelope(const std::vector<double>& values, std::size_t columns);

}  // namespace vyn::tools

#endif  // VYN_TOOLS_LOG_HTML_TIMELINE_ENVELOPE_H_
