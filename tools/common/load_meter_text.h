// The texts a load meter writes on standard error: the progress line redrawn
// while a large log loads, and the one-line summary --verbose asks for.
// MB are 10^6 bytes.
#ifndef VYN_TOOLS_COMMON_LOAD_METER_TEXT_H_
#define VYN_TOOLS_COMMON_LOAD_METER_TEXT_H_

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

namespace vyn::tools {

// "loading  42% [########            ] 141.7/337.4 MB  823 MB/s": how far a
// load has come after seconds; the bar is barWidth characters wide, left out
// when barWidth is 0.
std::string progressLine(std::uint64_t loaded, std::uint64_t total, double seconds,
                         std::size_t barWidth);

// "loaded 337.4 MB in 0.41 s (823 MB/s), 100,000 executions", without the
// executions when they are not known.
std::string loadSummaryLine(std::uint64_t bytes, double seconds,
                            std::optional<std::uint64_t> executions);

}  // namespace vyn::tools

#endif  // VYN_TOOLS_COMMON_LOAD_METER_TEXT_H_
