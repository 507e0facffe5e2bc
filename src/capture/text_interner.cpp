#include "capture/text_interner.h"

namespace vyn::profiling {

TextInterner::TextInterner(TextPool& pool) : pool_(pool) {
  for (TextId id = 0; id < pool_.size(); ++id) ids_.emplace(pool_.view(id), id);
}

TextId TextInterner::intern(std::string_view text) {
  const auto found = ids_.find(text);
  if (found != ids_.end()) return found->second;
  const TextId id = pool_.add(text);
  ids_.emplace(pool_.view(id), id);
  return id;
}

}  // namespace vyn::profiling
