// Text from a log made safe for HTML and SVG, in element content and in quoted
// attribute values alike: every page and chart escapes through these.
#ifndef VYN_TOOLS_LOG_HTML_HTML_ESCAPE_H_
#define VYN_TOOLS_LOG_HTML_HTML_ESCAPE_H_

#include <string>
#include <string_view>

namespace vyn::tools {

// Appends text with & < > " ' written as character references; control
// characters other than tab, line feed and carriage return, which a document
// may not hold, become U+FFFD.
void appendEscaped(std::string& out, std::string_view text);
std::string escaped(std::string_view text);

}  // namespace vyn::tools

#endif  // VYN_TOOLS_LOG_HTML_HTML_ESCAPE_H_
