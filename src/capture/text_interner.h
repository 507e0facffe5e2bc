// Texts of a log stored once each: the same name met in a million events is one
// entry of the pool and the same id in every row.
#ifndef VYN_CAPTURE_TEXT_INTERNER_H_
#define VYN_CAPTURE_TEXT_INTERNER_H_

#include <absl/container/flat_hash_map.h>

#include <string_view>

#include "model/text_pool.h"

namespace vyn::profiling {

class TextInterner {
 public:
  // Knows every text already in pool.
  explicit TextInterner(TextPool& pool);
  TextInterner(const TextInterner&) = delete;
  TextInterner& operator=(const TextInterner&) = delete;

  // The id of text (which must hold no NUL byte), stored first if it is new.
  TextId intern(std::string_view text);
  std::string_view view(TextId id) const { return pool_.view(id); }

 private:
  TextPool& pool_;
  // Keys view the pool's own characters, which never move.
  absl::flat_hash_map<std::string_view, TextId> ids_;
};

}  // namespace vyn::profiling

#endif  // VYN_CAPTURE_TEXT_INTERNER_H_
