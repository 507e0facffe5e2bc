#include "log/html/html_table.h"

#include "log/html/chart_frame.h"
#include "log/html/html_escape.h"
#include "log/html/name_cut.h"

namespace vyn::tools {
namespace {

// About what a column of names shows at its widest (.cut: 24em).
constexpr std::size_t kPathCharacters = 40;

}  // namespace

HtmlCell HtmlCell::name(std::string text, std::string link, std::string className) {
  HtmlCell cell(std::move(text), std::move(link), std::move(className));
  cell.cut = true;
  cell.title = cell.text;
  return cell;
}

HtmlCell HtmlCell::path(const std::string& path) {
  HtmlCell cell(shortenedPath(path, kPathCharacters));
  cell.cut = true;
  cell.title = path;
  return cell;
}

void openTable(std::string& out, std::string_view className, const std::vector<HtmlCell>& headers) {
  // A table wider than a narrow window scrolls inside the page instead of widening it.
  out += "<div class=\"table-scroll\"><table";
  appendAttribute(out, "class", className);
  out += ">\n<thead><tr>";
  for (const HtmlCell& header : headers) {
    out += "<th scope=\"col\"";
    if (!header.className.empty()) appendAttribute(out, "class", header.className);
    out += ">";
    appendEscaped(out, header.text);
    out += "</th>";
  }
  out += "</tr></thead>\n<tbody>\n";
}

void appendRow(std::string& out, const std::vector<HtmlCell>& cells) {
  out += "<tr>";
  for (const HtmlCell& cell : cells) {
    out += "<td";
    if (!cell.className.empty()) appendAttribute(out, "class", cell.className);
    out += ">";
    if (!cell.link.empty()) {
      out += "<a";
      appendAttribute(out, "href", cell.link);
      out += ">";
    }
    if (cell.cut) {
      appendCutName(out, cell.text, cell.title);
    } else {
      appendEscaped(out, cell.text);
    }
    if (!cell.link.empty()) out += "</a>";
    out += "</td>";
  }
  out += "</tr>\n";
}

void closeTable(std::string& out) { out += "</tbody>\n</table></div>\n"; }

void appendCutName(std::string& out, std::string_view text, std::string_view title) {
  out += "<span class=\"cut\"";
  appendAttribute(out, "title", title);
  out += ">";
  appendEscaped(out, text);
  out += "</span>";
}

}  // namespace vyn::tools
