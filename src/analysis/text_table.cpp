#include "analysis/text_table.h"

#include <algorithm>
#include <utility>

#include "base/terminal_text.h"
#include "base/utf8.h"

namespace vyn::tools {
TextTable::TextTable(std::vector<std::string> header, std::size_t labelColumns, std::size_t trailingLabels)
    : header_(std::move(header)), labelColumns_(labelColumns), trailingLabels_(trailingLabels) {}

void TextTable::addRow(std::vector<std::string> cells) {
  cells.resize(header_.size());
  // A cell may hold a name from the log: it must neither break its row nor
  // drive the terminal.
  for (std::string& cell : cells) cell = base::terminalText(cell);
  rows_.push_back(std::move(cells));
}

void TextTable::appendTo(std::string& out, std::size_t indent) const {
  // Columns count characters, not bytes: names may hold UTF-8.
  std::vector<std::size_t> widths(header_.size(), 0);
  auto measure = [&](const std::vector<std::string>& cells) {
    for (std::size_t column = 0; column < cells.size(); ++column) {
      widths[column] = std::max(widths[column], base::characterCount(cells[column]));
    }
  };
  measure(header_);
  for (const auto& row : rows_) measure(row);

  auto line = [&](const std::vector<std::string>& cells) {
    std::string text(indent, ' ');
    for (std::size_t column = 0; column < cells.size(); ++column) {
      const std::size_t pad = widths[column] - base::characterCount(cells[column]);
      const bool last = column + 1 == cells.size();
      if (column != 0) text += "  ";
      if (column < labelColumns_ || column + trailingLabels_ >= cells.size()) {
        text += cells[column];
        if (!last) text.append(pad, ' ');
      } else {
        text.append(pad, ' ');
        text += cells[column];
      }
    }
    while (!text.empty() && text.back() == ' ') text.pop_back();
    out += text;
    out += '\n';
  };
  line(header_);
  for (const auto& row : rows_) line(row);
}

}  // namespace vyn::tools
