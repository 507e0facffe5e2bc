// Texts of a log as JSON strings. Names in a log need not be UTF-8; JSON text
// must be, so what is not becomes U+FFFD (one for each ill-formed part, as
// base/utf8.h reads them). Every JSON output of the tools follows this rule.
#ifndef VYN_BASE_JSON_TEXT_H_
#define VYN_BASE_JSON_TEXT_H_

#include <cstddef>
#include <string>
#include <string_view>

namespace vyn::base {

// The length of the longest start of text that a JSON string holds as it is:
// up to the first byte that must be escaped or replaced.
std::size_t plainJsonPrefix(std::string_view text);

// Appends text to out as a JSON string in double quotes: '"' and '\' escaped
// with a backslash, control characters as \n, \r, \t, \b, \f or \u00XX, every
// ill-formed part of UTF-8 as U+FFFD, every other byte as it is.
void appendJsonString(std::string& out, std::string_view text);

}  // namespace vyn::base

#endif  // VYN_BASE_JSON_TEXT_H_
