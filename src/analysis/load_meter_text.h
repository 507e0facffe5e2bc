// The texts the meters write on standard error: the progress lines redrawn
// while a large log loads or a large output is written, and the one-line
// summary of a load that --verbose asks for. MB are 10^6 bytes.
#ifndef VYN_ANALYSIS_LOAD_METER_TEXT_H_
#define VYN_ANALYSIS_LOAD_METER_TEXT_H_

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

namespace vyn::tools {

// "loading  42% [########            ] 141.7/337.4 MB  823 MB/s": how far a
// load has come after seconds; the bar is barWidth characters wide, left out
// when barWidth is 0.
std::string progressLine(std::uint64_t loaded, std::uint64_t total, double seconds, std::size_t barWidth);

// "writing  42% [########            ] 141.7 MB  823 MB/s": a write that has
// done `done` of `total` parts of its work (rows, say) and written `written`
// bytes after seconds; the bar as in progressLine.
std::string writeProgressLine(std::uint64_t done, std::uint64_t total, std::uint64_t written, double seconds,
                              std::size_t barWidth);

// "loaded 337.4 MB in 0.41 s (823 MB/s), 100,000 executions", without the
// executions when they are not known.
std::string loadSummaryLine(std::uint64_t bytes, double seconds, std::optional<std::uint64_t> executions);

}  // namespace vyn::tools

#endif  // VYN_ANALYSIS_LOAD_METER_TEXT_H_
