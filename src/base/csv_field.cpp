#include "base/csv_field.h"

#include <cstdint>
#include <cstring>

namespace vyn::base {
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

bool holdsCsvSeparators(std::string_view text) {
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

}  // namespace vyn::base
