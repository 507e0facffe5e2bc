#include "log/html/html_escape.h"

#include "base/utf8.h"

namespace vyn::tools {

void appendEscaped(std::string& out, std::string_view text) {
  for (std::size_t at = 0; at < text.size(); ++at) {
    const char c = text[at];
    if (static_cast<unsigned char>(c) >= 0x80) {
      // The page is UTF-8: what is not becomes U+FFFD, as in JSON, and so
      // do the C1 controls (U+0080 to U+009F), as the C0 ones below.
      const base::Utf8Sequence sequence = base::utf8SequenceAt(text, at);
      const std::string_view bytes = text.substr(at, sequence.length);
      out += sequence.wellFormed && !base::isC1Control(bytes) ? bytes : base::kReplacementCharacter;
      at += sequence.length - 1;
      continue;
    }
    switch (c) {
      case '&':
        out += "&amp;";
        break;
      case '<':
        out += "&lt;";
        break;
      case '>':
        out += "&gt;";
        break;
      case '"':
        out += "&quot;";
        break;
      case '\'':
        out += "&#39;";
        break;
      case '\t':
      case '\n':
      case '\r':
        out += c;
        break;
      default:
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) {
          out += "\xEF\xBF\xBD";
        } else {
          out += c;
        }
    }
  }
}

std::string escaped(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  appendEscaped(out, text);
  return out;
}

}  // namespace vyn::tools
