#include "log/html/html_page.h"

#include "log/html/html_escape.h"
#include "version/viewer_version.h"

namespace vyn::tools {
namespace {

constexpr const char* kStyle = R"(
:root { color-scheme: light; }
body { margin: 0 auto; max-width: 1180px; padding: 16px 20px 40px; color: #000000; background: #FFFFFF;
       font: 14px/1.45 system-ui, sans-serif; }
h1 { font-size: 22px; margin: 8px 0 4px; }
h2 { font-size: 18px; margin: 28px 0 6px; border-bottom: 1px solid #CCCCCC; padding-bottom: 2px; }
h3 { font-size: 15px; margin: 18px 0 4px; }
p { margin: 4px 0; }
.log { font-family: ui-monospace, monospace; overflow-wrap: anywhere; }
.note { color: #444444; }
.incomplete { margin: 8px 0; padding: 8px 12px; border: 2px solid #A33E00; background: #FFF3E8;
              overflow-wrap: anywhere; }
.cut { display: block; max-width: 24em; overflow: hidden; text-overflow: ellipsis; white-space: nowrap;
       text-align: left; }
h2.cut { max-width: none; }
.cut.path { display: flex; }
.cut.path > span { flex: 0 2 auto; min-width: 1.2em; overflow: hidden; text-overflow: ellipsis; }
.cut.path > span:last-child { flex-shrink: 1; }
.cut.path > span.sep { flex: none; min-width: 0; white-space: pre; }
.cut.inline { display: inline-block; max-width: 18em; vertical-align: bottom; }
table.summary .cut, table.changes .cut { max-width: 18em; }
table.verdicts .cut, table.others .cut { max-width: 20em; }
.fit { display: grid; grid-template-columns: minmax(10em, max-content); }
table { border-collapse: collapse; margin: 6px 0 12px; font-size: 13px; font-variant-numeric: tabular-nums; }
th, td { padding: 3px 6px; border-bottom: 1px solid #E4E4E4; text-align: right; white-space: nowrap; }
th { background: #F4F4F4; font-weight: 600; white-space: normal; vertical-align: bottom; }
th:first-child, td:first-child { text-align: left; }
th.text, td.text { text-align: left; }
td.sub { padding-left: 24px; color: #444444; }
.table-scroll { overflow-x: auto; }
details.more { margin: 0 0 12px; }
details.more summary { cursor: pointer; color: #444444; }
.verdict-slower { font-weight: 700; color: #A33E00; }
.verdict-faster { font-weight: 700; color: #00573F; }
figure { margin: 8px 0 16px; }
p.side { margin: 6px 0 0; }
figcaption { font-weight: 600; margin-bottom: 2px; }
svg.chart { display: block; max-width: 100%; height: auto; background: #FFFFFF; }
svg.chart text { font: 11px system-ui, sans-serif; }
svg.chart .axis-title { font-size: 12px; }
svg.icicle text { pointer-events: none; }
svg.icicle rect:hover { stroke: #000000; stroke-width: 1.5; }
.legend span { display: inline-block; width: 12px; height: 12px; vertical-align: -1px; margin: 0 4px 0 12px; }
footer { margin-top: 32px; color: #444444; font-size: 12px; }
)";

}  // namespace

void openPage(std::string& out, std::string_view title) {
  out +=
      "<!DOCTYPE html>\n<html lang=\"en\">\n<head>\n<meta charset=\"utf-8\">\n"
      "<meta name=\"viewport\" content=\"width=device-width, initial-scale=1\">\n<title>";
  appendEscaped(out, title);
  out += "</title>\n<style>";
  out += kStyle;
  out += "</style>\n</head>\n<body>\n";
}

void closePage(std::string& out) {
  out += "<footer>Written by vyn-profile-log ";
  appendEscaped(out, profiling::kViewerVersion);
  out += ". This page is self-contained: it loads nothing from anywhere.</footer>\n</body>\n</html>\n";
}

}  // namespace vyn::tools
