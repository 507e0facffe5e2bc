#include "base/terminal_text.h"

#include "base/utf8.h"

namespace vyn::base {
namespace {

constexpr char kHex[] = "0123456789abcdef";

void appendByteEscape(std::string& out, unsigned char c) {
  const char escape[] = {'\\', 'x', kHex[c >> 4], kHex[c & 15u]};
  out.append(escape, sizeof escape);
}

}  // namespace

void appendTerminalText(std::string& out, std::string_view text) {
  std::size_t at = 0;
  while (at < text.size()) {
    const auto c = static_cast<unsigned char>(text[at]);
    if (c >= 0x20 && c < 0x7F && c != '\\') {
      out.push_back(static_cast<char>(c));
      ++at;
      continue;
    }
    if (c < 0x80) {
      switch (c) {
        case '\\':
          out.append("\\\\");
          break;
        case '\n':
          out.append("\\n");
          break;
        case '\r':
          out.append("\\r");
          break;
        case '\t':
          out.append("\\t");
          break;
        default:
          appendByteEscape(out, c);
      }
      ++at;
      continue;
    }
    const Utf8Sequence sequence = utf8SequenceAt(text, at);
    if (!sequence.wellFormed) {
      for (std::size_t i = 0; i < sequence.length; ++i) {
        appendByteEscape(out, static_cast<unsigned char>(text[at + i]));
      }
    } else if (isC1Control(text.substr(at, sequence.length))) {
      const auto code = static_cast<unsigned char>(text[at + 1]);
      const char escape[] = {'\\', 'u', '0', '0', kHex[code >> 4], kHex[code & 15u]};
      out.append(escape, sizeof escape);
    } else {
      out.append(text.substr(at, sequence.length));
    }
    at += sequence.length;
  }
}

std::string terminalText(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  appendTerminalText(out, text);
  return out;
}

}  // namespace vyn::base
