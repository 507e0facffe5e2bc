// The frame of every page the tools write: a self-contained HTML document with
// its style inline and the system's own fonts, so it opens from disk with no
// network, and a footer naming the tool that wrote it.
#ifndef VYN_TOOLS_LOG_HTML_HTML_PAGE_H_
#define VYN_TOOLS_LOG_HTML_HTML_PAGE_H_

#include <string>
#include <string_view>

namespace vyn::tools {

// From <!DOCTYPE html> to the opening <body>, with title escaped.
void openPage(std::string& out, std::string_view title);
// The footer and the closing tags.
void closePage(std::string& out);

}  // namespace vyn::tools

#endif  // VYN_TOOLS_LOG_HTML_HTML_PAGE_H_
