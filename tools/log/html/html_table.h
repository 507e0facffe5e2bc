// Tables of figures in a page: a header row and rows of cells whose text is
// escaped; a cell may link within the page or carry a class, and a name from
// the log is cut with an ellipsis to its column's width, whole on hover.
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
  // A name: on one line, cut with an ellipsis where the column ends, the
  // whole name (title) on hover.
  bool cut = false;
  bool eventPath = false;  // each of the path's names is cut on its own
  std::string title;
  HtmlCell(std::string text_) : text(std::move(text_)) {}  // NOLINT: cells are mostly plain text
  HtmlCell(const char* text_) : text(text_) {}             // NOLINT
  HtmlCell(std::string text_, std::string link_, std::string className_)
      : text(std::move(text_)), link(std::move(link_)), className(std::move(className_)) {}

  static HtmlCell name(std::string text, std::string link = {}, std::string className = {});
  // An event path, its long names shortened (shortenedPath) as well.
  static HtmlCell path(const std::string& path);
};

// The header row's cells may carry a class ("text": aligned left, as the text below).
void openTable(std::string& out, std::string_view className, const std::vector<HtmlCell>& headers);
void appendRow(std::string& out, const std::vector<HtmlCell>& cells);
void closeTable(std::string& out);

// <span class="cut" title="TITLE">TEXT</span>: a name on one line, cut with an
// ellipsis where its box ends, the whole of it on hover.
void appendCutName(std::string& out, std::string_view text, std::string_view title);
// <span class="cut path" title="TITLE"><span>NAME</span><span class="sep"> / </span>...</span>:
// the names of a path, each cut with an ellipsis as the path's box narrows, so
// that every name keeps a part.
void appendCutPath(std::string& out, std::string_view path, std::string_view title);

}  // namespace vyn::tools

#endif  // VYN_TOOLS_LOG_HTML_HTML_TABLE_H_
