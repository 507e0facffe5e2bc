// Names from the log shortened for a column: an event path whose names are too
// long keeps a part of each, so that paths that differ only in a sub-event's
// name still look different once a column cuts them.
#ifndef VYN_TOOLS_LOG_HTML_NAME_CUT_H_
#define VYN_TOOLS_LOG_HTML_NAME_CUT_H_

#include <cstddef>
#include <string>
#include <string_view>

namespace vyn::tools {

// A path's names are not cut below this many characters.
inline constexpr std::size_t kShortestCutName = 12;

// path, its names joined by " / ", at most budget characters (UTF-8 code
// points) long where that can be had: every name longer than a cap is cut to
// the cap, its last character an ellipsis, the cap the largest that fits and
// never below kShortestCutName. A path within budget comes back as it is.
std::string shortenedPath(std::string_view path, std::size_t budget);

}  // namespace vyn::tools

#endif  // VYN_TOOLS_LOG_HTML_NAME_CUT_H_
