#include "report/text_layout.h"

namespace vyn::profiling {

void writeRule(base::TextBuffer& out, std::size_t width) {
  out.repeat('-', width);
  out.endLine();
}

void writeTitle(base::TextBuffer& out, std::string_view title, std::size_t ruleWidth) {
  out.text(title);
  out.endLine();
  writeRule(out, ruleWidth);
}

void writeValueLine(base::TextBuffer& out, std::uint64_t value) {
  out.blanks(sectionIndent).text("NetRun: ").number(value).text(" us");
  out.endLine();
}

void writeGraphHeading(base::TextBuffer& out, std::size_t position, std::string_view graphName) {
  out.text("Graph ").number(position).text(" (").text(graphName).text("):");
  out.endLine();
}

}  // namespace vyn::profiling
