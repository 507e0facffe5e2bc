// Text from a log made safe to show on a terminal. A name is arbitrary bytes:
// written raw, an escape sequence in it could clear or recolour the screen,
// move the cursor or retitle the window, and a line break would break the row
// it sits in. So control characters are shown as visible escapes instead.
#ifndef VYN_BASE_TERMINAL_TEXT_H_
#define VYN_BASE_TERMINAL_TEXT_H_

#include <string>
#include <string_view>

namespace vyn::base {

// Appends text with every control character written as a visible escape:
// "\n", "\r" and "\t"; other C0 controls and DEL as "\x1b", "\x7f"; C1
// controls (U+0080 to U+009F) as "\u009b"; each byte of ill-formed UTF-8 as
// "\xff"; and the backslash itself as "\\", so that what is shown reads back
// to the bytes unambiguously. Printable UTF-8 passes as it is.
void appendTerminalText(std::string& out, std::string_view text);
std::string terminalText(std::string_view text);

}  // namespace vyn::base

#endif  // VYN_BASE_TERMINAL_TEXT_H_
