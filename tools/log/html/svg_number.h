// Numbers as the charts write them: coordinates to one decimal place, so that
// a chart of a hundred thousand executions stays a few kilobytes.
#ifndef VYN_TOOLS_LOG_HTML_SVG_NUMBER_H_
#define VYN_TOOLS_LOG_HTML_SVG_NUMBER_H_

#include <string>

namespace vyn::tools {

// 12.3, 40 (not 40.0), 0 (not -0); not finite: 0.
std::string svgNumber(double value);
void appendSvgNumber(std::string& out, double value);

}  // namespace vyn::tools

#endif  // VYN_TOOLS_LOG_HTML_SVG_NUMBER_H_
