// Texts of a log as JSON strings. Names in a log need not be UTF-8; JSON text
// must be, so what is not becomes U+FFFD.
#ifndef VYN_TOOLS_LOG_JSON_STRING_H_
#define VYN_TOOLS_LOG_JSON_STRING_H_

#include <cstddef>
#include <string>
#include <string_view>

namespace vyn::tools {

// The length of the longest start of text that a JSON string holds as it is:
// up to the first byte that must be escaped or replaced.
std::size_t plainJsonPrefix(std::string_view text);

// Appends text to out as a JSON string in double quotes: '"' and '\' escaped
// with a backslash, control characters as \n, \r, \t, \b, \f or \u00XX, every
// byte that does not belong to a well-formed UTF-8 sequence as U+FFFD, every
// other byte as it is.
void appendJsonString(std::string& out, std::string_view text);

}  // namespace vyn::tools

#endif  // VYN_TOOLS_LOG_JSON_STRING_H_
