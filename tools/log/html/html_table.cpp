#include "log/html/html_table.h"

#include "log/html/chart_frame.h"
#include "log/html/html_escape.h"

namespace vyn::tools {

void openTable(std::string& out, std::string_view className, const std::vector<std::string>& headers) {
  // Wide tables scroll inside the page instead of widening it.
  out += "<div class=\"table-scroll\"><table";
  appendAttribute(out, "class", className);
  out += ">\n<thead><tr>";
  for (const std::string& header : headers) {
    out += "<th scope=\"col\">";
    appendEscaped(out, header);
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
    appendEscaped(out, cell.text);
    if (!cell.link.empty()) out += "</a>";
    out += "</td>";
  }
  out += "</tr>\n";
}

void closeTable(std::string& out) { out += "</tbody>\n</table></div>\n"; }

}  // namespace vyn::tools
