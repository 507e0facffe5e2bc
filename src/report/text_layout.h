// The layout shared by every section of the text summary and the event trees.
#ifndef VYN_REPORT_TEXT_LAYOUT_H_
#define VYN_REPORT_TEXT_LAYOUT_H_

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "base/text_buffer.h"

namespace vyn::profiling {

// Blanks per level of indentation in the summary and the event trees.
inline constexpr std::size_t sectionIndent = 4;

// A run of width '-' characters and a newline.
void writeRule(base::TextBuffer& out, std::size_t width);

// The title line and its rule.
void writeTitle(base::TextBuffer& out, std::string_view title, std::size_t ruleWidth);

// Indent, "NetRun: ", value, " us", newline.
void writeValueLine(base::TextBuffer& out, std::uint64_t value);

// "Graph <position> (<name>):", newline.
void writeGraphHeading(base::TextBuffer& out, std::size_t position, std::string_view graphName);

}  // namespace vyn::profiling

#endif  // VYN_REPORT_TEXT_LAYOUT_H_
