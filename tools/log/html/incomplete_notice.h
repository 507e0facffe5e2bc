// The notice at the top of a page drawn from a log that stops being readable
// before its end (a killed run): where it stops, what was left unread, that the
// page shows the records before it, and the command that keeps them.
#ifndef VYN_TOOLS_LOG_HTML_INCOMPLETE_NOTICE_H_
#define VYN_TOOLS_LOG_HTML_INCOMPLETE_NOTICE_H_

#include <string>

#include "analysis/log_extent.h"

namespace vyn::tools {

// Appends the notice for the log at path, nothing for a whole log. side names
// the log on a page of two ("base", "new"); empty on a page of one.
void appendIncompleteNotice(std::string& out, const std::string& path, const LogExtent& extent,
                            const std::string& side = {});

}  // namespace vyn::tools

#endif  // VYN_TOOLS_LOG_HTML_INCOMPLETE_NOTICE_H_
