// Reading text that should be UTF-8 but, coming from a log, may be any bytes.
#ifndef VYN_BASE_UTF8_H_
#define VYN_BASE_UTF8_H_

#include <cstddef>
#include <string_view>

namespace vyn::base {

// U+FFFD, in UTF-8: what stands for bytes that are not well-formed UTF-8.
inline constexpr std::string_view kReplacementCharacter = "\xEF\xBF\xBD";

// What the bytes at text[at] hold: a well-formed sequence of `length` bytes, or
// an ill-formed one of `length` bytes (the longest start of a well-formed
// sequence found there, at least one byte), which stands as one U+FFFD. This is
// the "maximal subpart" practice of Unicode, also that of the JSON library the
// tools use, so every JSON output replaces alike. REQUIRES: at < text.size().
struct Utf8Sequence {
  std::size_t length;
  bool wellFormed;
};
Utf8Sequence utf8SequenceAt(std::string_view text, std::size_t at);

// Whether the well-formed sequence is a C1 control (U+0080 to U+009F: 0xC2,
// then 0x80 to 0x9F), which terminals and HTML take as controls, not text.
inline bool isC1Control(std::string_view sequence) {
  return sequence.size() == 2 && static_cast<unsigned char>(sequence[0]) == 0xC2 &&
         static_cast<unsigned char>(sequence[1]) <= 0x9F;
}

// Whether c begins a character of UTF-8 text, not continues one: the bytes
// 0x80 to 0xBF only continue.
inline bool startsCharacter(char c) { return (static_cast<unsigned char>(c) & 0xC0) != 0x80; }

// The characters of well-formed UTF-8 text, which is what a column or a label
// is as wide as (one per character, whatever its bytes).
inline std::size_t characterCount(std::string_view text) {
  std::size_t count = 0;
  for (const char c : text) count += startsCharacter(c) ? 1 : 0;
  return count;
}

}  // namespace vyn::base

#endif  // VYN_BASE_UTF8_H_
