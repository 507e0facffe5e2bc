#include "log/export/json_string.h"

#include <cstdint>
#include <cstring>

namespace vyn::tools {
namespace {

constexpr std::string_view kReplacement = "\xEF\xBF\xBD";

bool isContinuation(unsigned char byte) { return (byte & 0xC0u) == 0x80u; }

// The length of the well-formed UTF-8 sequence that starts at text[at] with a
// byte of 0x80 or above, or 0 when there is none there.
std::size_t sequenceLength(std::string_view text, std::size_t at) {
  const auto byte = [&](std::size_t offset) -> unsigned char {
    return at + offset < text.size() ? static_cast<unsigned char>(text[at + offset]) : 0;
  };
  const unsigned char lead = byte(0);
  // The range the second byte must fall in, which rules out overlong forms,
  // surrogates and code points above U+10FFFF.
  unsigned char low = 0x80, high = 0xBF;
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
    return 0;
  }
  if (byte(1) < low || byte(1) > high) return 0;
  for (std::size_t offset = 2; offset < length; ++offset) {
    if (!isContinuation(byte(offset))) return 0;
  }
  return length;
}

void appendEscaped(std::string& out, unsigned char c) {
  switch (c) {
    case '"': out.append("\\\""); return;
    case '\\': out.append("\\\\"); return;
    case '\n': out.append("\\n"); return;
    case '\r': out.append("\\r"); return;
    case '\t': out.append("\\t"); return;
    case '\b': out.append("\\b"); return;
    case '\f': out.append("\\f"); return;
    default: {
      static constexpr char kHex[] = "0123456789abcdef";
      const char escape[] = {'\\', 'u', '0', '0', kHex[c >> 4], kHex[c & 15u]};
      out.append(escape, sizeof escape);
    }
  }
}

}  // namespace

std::size_t plainJsonPrefix(std::string_view text) {
  constexpr std::uint64_t kOnes = 0x0101010101010101u;
  constexpr std::uint64_t kHighBits = 0x8080808080808080u;
  const auto holdsZeroByte = [&](std::uint64_t word) { return (word - kOnes) & ~word & kHighBits; };
  std::size_t at = 0;
  while (at < text.size()) {
    if (text.size() - at >= 8) {
      // Eight bytes at a time while none is a control character, '"', '\\' or
      // above 0x7F.
      std::uint64_t word;
      std::memcpy(&word, text.data() + at, sizeof word);
      const std::uint64_t special = (word & kHighBits) | ((word - 0x20 * kOnes) & ~word & kHighBits) |
                                    holdsZeroByte(word ^ ('"' * kOnes)) | holdsZeroByte(word ^ ('\\' * kOnes));
      if (special == 0) {
        at += 8;
        continue;
      }
    }
    const auto c = static_cast<unsigned char>(text[at]);
    if (c >= 0x80) {
      const std::size_t length = sequenceLength(text, at);
      if (length == 0) return at;
      at += length;
    } else if (c < 0x20 || c == '"' || c == '\\') {
      return at;
    } else {
      ++at;
    }
  }
  return text.size();
}

void appendJsonString(std::string& out, std::string_view text) {
  out.push_back('"');
  for (;;) {
    const std::size_t plain = plainJsonPrefix(text);
    out.append(text.substr(0, plain));
    if (plain == text.size()) break;
    const auto c = static_cast<unsigned char>(text[plain]);
    if (c >= 0x80) {
      out.append(kReplacement);
    } else {
      appendEscaped(out, c);
    }
    text.remove_prefix(plain + 1);
  }
  out.push_back('"');
}

}  // namespace vyn::tools
