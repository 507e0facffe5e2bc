// Tables of figures in a page: a header row and rows of cells whose text is
// escaped; a cell may link within the page or carry a class.
#ifndef VYN_TOOLS_LOG_HTML_HTML_TABLE_H_
#define VYN_TOOLS_LOG_HTML_HTML_TABLE_H_

#include <string>
#include <string_view>
#include <vector>

namespace vyn::tools {

struct HtmlCell {
  std::string text;
  std::string link;       // "#graph-1": the text links there
  std::string className;  // of the cell
  HtmlCell(std::string text_) : text(std::move(text_)) {}  // NOLINT: cells are mostly plain text
  HtmlCell(const char* text_) : text(text_) {}             // NOLINT
  HtmlCell(std::string text_, std::string link_, std::string className_)
      : text(std::move(text_)), link(std::move(link_)), className(std::move(className_)) {}
};

void openTable(std::string& out, std::string_view className, const std::vector<std::string>& headers);
void appendRow(std::string& out, const std::vector<HtmlCell>& cells);
void closeTable(std::string& out);

}  // namespace vyn::tools

#endif  // VYN_TOOLS_LOG_HTML_HTML_TABLE_H_
