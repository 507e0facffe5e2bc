#include "report/text_layout.h"

#include <iomanip>

namespace vyn::profiling {

void writeRule(std::ostream& out, int width) {
  out << std::setfill('-') << std::setw(width) << "-" << std::setfill(' ');
  endLine(out);
}

void writeTitle(std::ostream& out, const std::string& title, int ruleWidth) {
  out << title;
  endLine(out);
  writeRule(out, ruleWidth);
}

void writeValueLine(std::ostream& out, std::uint64_t value) {
  out << std::string(sectionIndent, ' ') << "NetRun: " << value << " us";
  endLine(out);
}

void writeGraphHeading(std::ostream& out, std::size_t position, const std::string& graphName) {
  out << "Graph " << position << " (" << graphName << "):";
  endLine(out);
}

}  // namespace vyn::profiling
