#include "log/html/html_table.h"

#include "log/html/chart_frame.h"
#include "log/html/html_escape.h"
#include "log/html/name_cut.h"

namespace vyn::tools {
namespace {

// About what a column of names shows when the table leaves it room for a few words.
constexpr std::size_t kPathCharacters = 32;

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
  cell.eventPath = true;
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
    // A name's column may shrink to fit the table in the page: the box around
    // it asks for no width of its own (.fit), and the name is cut where it ends.
    if (cell.cut) out += "<span class=\"fit\">";
    if (!cell.link.empty()) {
      out += "<a";
      appendAttribute(out, "href", cell.link);
      out += ">";
    }
    if (cell.eventPath) {
      appendCutPath(out, cell.text, cell.title);
    } else if (cell.cut) {
      appendCutName(out, cell.text, cell.title);
    } else {
      appendEscaped(out, cell.text);
    }
    if (!cell.link.empty()) out += "</a>";
    if (cell.cut) out += "</span>";
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

void appendCutPath(std::string& out, std::string_view path, std::string_view title) {
  constexpr std::string_view kSeparator = " / ";
  out += "<span class=\"cut path\"";
  appendAttribute(out, "title", title);
  out += "><span>";
  for (std::size_t from = 0;;) {
    const std::size_t at = path.find(kSeparator, from);
    appendEscaped(out, path.substr(from, at == std::string_view::npos ? std::string_view::npos : at - from));
    if (at == std::string_view::npos) break;
    out += "</span><span class=\"sep\"> / </span><span>";
    from = at + kSeparator.size();
  }
  out += "</span></span>";
}

}  // namespace vyn::tools
