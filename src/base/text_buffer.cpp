#include "base/text_buffer.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <limits>

#include "base/csv_field.h"
#include "base/number_text.h"

namespace vyn::base {

TextAppender& TextAppender::repeat(char c, std::size_t count) {
  std::memset(room(count), c, count);
  end_ += count;
  return *this;
}

TextAppender& TextAppender::number(std::uint64_t value) {
  end_ = writeNumber(room(kNumberTextRoom), value);
  return *this;
}

TextAppender& TextAppender::signedNumber(std::int64_t value) {
  end_ = writeNumber(room(kNumberTextRoom), value);
  return *this;
}

TextAppender& TextAppender::shortest(float value) {
  end_ = writeShortest(room(kNumberTextRoom), value);
  return *this;
}

TextAppender& TextAppender::shortest(double value) {
  end_ = writeShortest(room(kNumberTextRoom), value);
  return *this;
}

TextAppender& TextAppender::fixed(double value, int decimals) {
  // Sign, the 309 integer digits of the largest double, the point and the decimals.
  const std::size_t size = std::numeric_limits<double>::max_exponent10 + 10 + static_cast<std::size_t>(decimals);
  char* at = room(size);
  // Rounded from the exact binary value, ties to even, as printf does.
  end_ = std::to_chars(at, at + size, value, std::chars_format::fixed, decimals).ptr;
  return *this;
}

TextAppender& TextAppender::csvField(std::string_view field) {
  const std::size_t start = size();
  return text(field).csvFieldFrom(start);
}

TextAppender& TextAppender::csvFieldFrom(std::size_t start) {
  const std::size_t length = size() - start;
  std::size_t quotes = 0;
  {
    const std::string_view field(storage_.get() + start, length);
    if (!holdsCsvSeparators(field)) return *this;
    quotes = static_cast<std::size_t>(std::count(field.begin(), field.end(), '"'));
  }
  // Widen the field in place, from its end backwards: a closing quote, the
  // characters with every '"' doubled, an opening quote.
  room(quotes + 2);
  char* const first = storage_.get() + start;
  const char* from = first + length;
  char* to = first + length + quotes + 2;
  *--to = '"';
  while (from != first) {
    const char c = *--from;
    *--to = c;
    if (c == '"') *--to = '"';
  }
  *--to = '"';
  end_ += quotes + 2;
  return *this;
}

void TextAppender::grow(std::size_t count) {
  const std::size_t used = size();
  const std::size_t capacity = static_cast<std::size_t>(capacityEnd_ - storage_.get());
  const std::size_t wanted = std::max({used + count, 2 * capacity, std::size_t{4096}});
  std::unique_ptr<char[]> grown(new char[wanted]);
  if (used > 0) std::memcpy(grown.get(), storage_.get(), used);
  storage_ = std::move(grown);
  end_ = storage_.get() + used;
  capacityEnd_ = storage_.get() + wanted;
}

void TextBuffer::flush() {
  if (size() == 0) return;
  if (file_ != nullptr) {
    writeFile_(*file_, view());
  } else {
    out_->write(view().data(), static_cast<std::streamsize>(size()));
  }
  clear();
}

}  // namespace vyn::base
