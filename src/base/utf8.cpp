#include "base/utf8.h"

namespace vyn::base {

Utf8Sequence utf8SequenceAt(std::string_view text, std::size_t at) {
  const auto byte = [&](std::size_t offset) -> unsigned {
    return at + offset < text.size() ? static_cast<unsigned char>(text[at + offset]) : 0u;
  };
  const unsigned lead = byte(0);
  if (lead < 0x80) return {1, true};
  // The range the second byte must fall in rules out overlong forms, surrogates
  // and code points above U+10FFFF; later bytes are any continuation byte.
  unsigned low = 0x80;
  unsigned high = 0xBF;
  std::size_t length = 0;
  if (lead >= 0xC2 && lead <= 0xDF) {
    length = 2;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    length = 3;
    if (lead == 0xE0) low = 0xA0;
    if (lead == 0xED) high = 0x9F;
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    length = 4;
    if (lead == 0xF0) low = 0x90;
    if (lead == 0xF4) high = 0x8F;
  } else {
    return {1, false};
  }
  for (std::size_t offset = 1; offset < length; ++offset) {
    const unsigned next = byte(offset);
    const bool fits = offset == 1 ? next >= low && next <= high : next >= 0x80 && next <= 0xBF;
    if (!fits) return {offset, false};
  }
  return {length, true};
}

}  // namespace vyn::base
