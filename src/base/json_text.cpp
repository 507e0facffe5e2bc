#include "base/json_text.h"

#include <cstdint>
#include <cstring>

#include "base/utf8.h"

namespace vyn::base {
namespace {

void appendEscaped(std::string& out, unsigned char c) {
  switch (c) {
    case '"':
      out.append("\\\"");
      return;
    case '\\':
      out.append("\\\\");
      return;
    case '\n':
      out.append("\\n");
      return;
    case '\r':
      out.append("\\r");
      return;
    case '\t':
      out.append("\\t");
      return;
    case '\b':
      out.append("\\b");
      return;
    case '\f':
      out.append("\\f");
      return;
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
      const Utf8Sequence sequence = utf8SequenceAt(text, at);
      if (!sequence.wellFormed) return at;
      at += sequence.length;
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
    text.remove_prefix(plain);
    const auto c = static_cast<unsigned char>(text[0]);
    if (c >= 0x80) {
      out.append(kReplacementCharacter);
      text.remove_prefix(utf8SequenceAt(text, 0).length);
    } else {
      appendEscaped(out, c);
      text.remove_prefix(1);
    }
  }
  out.push_back('"');
}

}  // namespace vyn::base
