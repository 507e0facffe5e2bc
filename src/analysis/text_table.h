// A table of text in aligned columns, for the analysis commands' text output:
// the leading label columns aligned left, the figures right.
#ifndef VYN_ANALYSIS_TEXT_TABLE_H_
#define VYN_ANALYSIS_TEXT_TABLE_H_

#include <cstddef>
#include <string>
#include <vector>

namespace vyn::tools {

class TextTable {
 public:
  // The first labelColumns columns and the last trailingLabels are aligned
  // left, the figures between them right.
  TextTable(std::vector<std::string> header, std::size_t labelColumns, std::size_t trailingLabels = 0);

  // Cells are shown as base/terminal_text.h shows text: a control character
  // in a name appears as a visible escape.
  void addRow(std::vector<std::string> cells);
  bool empty() const { return rows_.empty(); }

  // Appends the header and the rows, each line indented by indent blanks, with
  // two blanks between columns and no trailing blanks.
  void appendTo(std::string& out, std::size_t indent) const;

 private:
  std::vector<std::string> header_;
  std::size_t labelColumns_;
  std::size_t trailingLabels_;
  std::vector<std::vector<std::string>> rows_;
};

}  // namespace vyn::tools

#endif  // VYN_ANALYSIS_TEXT_TABLE_H_
