#include "log/html/incomplete_notice.h"

#include "analysis/repair_suggestion.h"
#include "log/html/html_escape.h"

namespace vyn::tools {

void appendIncompleteNotice(std::string& out, const std::string& path, const LogExtent& extent,
                            const std::string& side) {
  if (extent.complete()) return;
  out += "<p class=\"incomplete\" role=\"alert\"><strong>Incomplete log";
  if (!side.empty()) appendEscaped(out, " (" + side + ")");
  out += ":</strong> <span class=\"log\">";
  appendEscaped(out, path);
  out += "</span>: ";
  appendEscaped(out, unreadableTailText(extent));
  const std::string records = std::to_string(extent.records) + (extent.records == 1 ? " record" : " records");
  out += ". The figures are those of the " + records + " before it. To keep " + (extent.records == 1 ? "it" : "them") +
         " as a log of " + (extent.records == 1 ? "its" : "their") + " own: <code class=\"log\">";
  appendEscaped(out, repairCommand(path));
  out += "</code></p>\n";
}

}  // namespace vyn::tools
