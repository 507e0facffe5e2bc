#include "model/text_pool.h"

#include <cstring>

namespace vyn::profiling {
namespace {

// Whether any byte of the eight at `at` is a separator: the classic test for a
// zero byte, on the word xor each separator repeated.
inline bool separatorIn(const char* at) {
  constexpr std::uint64_t kEveryByte = 0x0101010101010101u;
  std::uint64_t word;
  std::memcpy(&word, at, sizeof word);
  const std::uint64_t comma = word ^ (kEveryByte * ',');
  const std::uint64_t quote = word ^ (kEveryByte * '"');
  const std::uint64_t cr = word ^ (kEveryByte * '\r');
  const std::uint64_t lf = word ^ (kEveryByte * '\n');
  const std::uint64_t found = ((comma - kEveryByte) & ~comma) | ((quote - kEveryByte) & ~quote) |
                              ((cr - kEveryByte) & ~cr) | ((lf - kEveryByte) & ~lf);
  return (found & (kEveryByte << 7)) != 0;
}

}  // namespace

// Eight characters at a time: this is asked of every text stored.
bool holdsSeparators(std::string_view text) {
  const std::size_t size = text.size();
  if (size < 8) {
    for (const char c : text) {
      if (c == ',' || c == '"' || c == '\r' || c == '\n') return true;
    }
    return false;
  }
  for (std::size_t i = 0; i + 8 < size; i += 8) {
    if (separatorIn(text.data() + i)) return true;
  }
  // The last eight characters, overlapping what was looked at already.
  return separatorIn(text.data() + size - 8);
}

TextPool::TextPool() { add({}); }

TextId TextPool::add(std::string_view text) {
  char* chars = chars_.allocate(text.size() + 1);
  if (!text.empty()) std::memcpy(chars, text.data(), text.size());
  chars[text.size()] = '\0';
  entries_.push_back({chars, static_cast<std::uint32_t>(text.size()), holdsSeparators(text)});
  return TextId(static_cast<std::uint32_t>(entries_.size() - 1));
}

}  // namespace vyn::profiling
