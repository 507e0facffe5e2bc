// The layout shared by every section of the text summary and the event trees.
#ifndef VYN_REPORT_TEXT_LAYOUT_H_
#define VYN_REPORT_TEXT_LAYOUT_H_

#include <cstdint>
#include <ostream>
#include <string>

namespace vyn::profiling {

// Blanks per level of indentation in the summary and the event trees.
inline constexpr std::size_t sectionIndent = 4;

// Ends a line. Output goes through large buffers (the summary is one string
// stream, the CSV file is flushed when closed), so lines are not flushed one by one.
inline std::ostream& endLine(std::ostream& out) { return out.put('\n'); }

// A run of width '-' characters and a newline.
void writeRule(std::ostream& out, int width);

// The title line and its rule.
void writeTitle(std::ostream& out, const std::string& title, int ruleWidth);

// Indent, "NetRun: ", value, " us", newline.
void writeValueLine(std::ostream& out, std::uint64_t value);

// "Graph <position> (<name>):", newline.
void writeGraphHeading(std::ostream& out, std::size_t position, const std::string& graphName);

}  // namespace vyn::profiling

#endif  // VYN_REPORT_TEXT_LAYOUT_H_
