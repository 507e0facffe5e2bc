// What the fuzzer requires of the analyses' outputs: JSON that parses and
// terminal text without raw control characters. A broken output aborts, so
// that the fuzzer keeps the input.
#ifndef VYN_FUZZ_OUTPUT_CHECKS_H_
#define VYN_FUZZ_OUTPUT_CHECKS_H_

#include <string>

namespace vyn::fuzzing {

// Aborts unless text is one JSON value.
void requireJson(const char* what, const std::string& text);

// Aborts unless text is fit for a terminal: no C0 control but the line feed,
// no DEL, no C1 control, nothing that is not UTF-8.
void requireTerminalText(const char* what, const std::string& text);

}  // namespace vyn::fuzzing

#endif  // VYN_FUZZ_OUTPUT_CHECKS_H_
