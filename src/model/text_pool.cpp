#include "model/text_pool.h"

#include <cstring>

namespace vyn::profiling {
TextPool::TextPool() { add({}); }

TextId TextPool::add(std::string_view text) {
  char* chars = chars_.allocate(text.size() + 1);
  if (!text.empty()) std::memcpy(chars, text.data(), text.size());
  chars[text.size()] = '\0';
  entries_.push_back({chars, static_cast<std::uint32_t>(text.size())});
  return TextId(static_cast<std::uint32_t>(entries_.size() - 1));
}

}  // namespace vyn::profiling
