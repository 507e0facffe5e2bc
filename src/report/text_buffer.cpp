#include "report/text_buffer.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <limits>

namespace vyn::profiling {
namespace {

// The characters a CSV field cannot hold without quotes, by their code.
constexpr std::array<bool, 256> kCsvSpecial = [] {
  std::array<bool, 256> special{};
  special[','] = special['"'] = special['\r'] = special['\n'] = true;
  return special;
}();

bool needsCsvQuotes(std::string_view field) {
  for (const char c : field) {
    if (kCsvSpecial[static_cast<unsigned char>(c)]) return true;
  }
  return false;
}

}  // namespace

TextAppender& TextAppender::blanks(std::size_t count) {
  std::memset(room(count), ' ', count);
  end_ += count;
  return *this;
}

TextAppender& TextAppender::number(std::uint64_t value) {
  constexpr std::size_t kDigits = std::numeric_limits<std::uint64_t>::digits10 + 1;
  char* at = room(kDigits);
  end_ = std::to_chars(at, at + kDigits, value).ptr;
  return *this;
}

TextAppender& TextAppender::signedNumber(std::int64_t value) {
  constexpr std::size_t kDigits = std::numeric_limits<std::int64_t>::digits10 + 2;
  char* at = room(kDigits);
  end_ = std::to_chars(at, at + kDigits, value).ptr;
  return *this;
}

TextAppender& TextAppender::fixed(double value) {
  // Sign, the 309 integer digits of the largest double, the point and six decimals.
  constexpr std::size_t kDigits = std::numeric_limits<double>::max_exponent10 + 16;
  char* at = room(kDigits);
  // Rounded from the exact binary value, ties to even, as printf does.
  end_ = std::to_chars(at, at + kDigits, value, std::chars_format::fixed, 6).ptr;
  return *this;
}

TextAppender& TextAppender::eventValue(const EventValue& value) {
  const std::uint64_t bits = value.payload;
  switch (value.dataType) {
    case ValueDataType::Int8: return signedNumber(static_cast<std::int8_t>(bits));
    case ValueDataType::Int16:
    case ValueDataType::Float16:  // the back-end stores these as signed 16-bit integers
      return signedNumber(static_cast<std::int16_t>(bits));
    case ValueDataType::Int32: return signedNumber(static_cast<std::int32_t>(bits));
    case ValueDataType::Int64: return signedNumber(static_cast<std::int64_t>(bits));
    case ValueDataType::UInt8:
    case ValueDataType::Bool8: return number(bits & 0xFFu);
    case ValueDataType::UInt16: return number(bits & 0xFFFFu);
    case ValueDataType::UInt32: return number(bits & 0xFFFFFFFFu);
    case ValueDataType::UInt64: return number(bits);
    case ValueDataType::Float32: {
      const auto low = static_cast<std::uint32_t>(bits);
      float single;
      std::memcpy(&single, &low, sizeof single);
      return fixed(static_cast<double>(single));
    }
    case ValueDataType::Float64: {
      double wide;
      std::memcpy(&wide, &bits, sizeof wide);
      return fixed(wide);
    }
    case ValueDataType::String: {
      // The payload addresses a text in the owning reader's string pool.
      const auto* pooled = reinterpret_cast<const char*>(static_cast<std::uintptr_t>(bits));
      return pooled != nullptr ? text(pooled) : *this;
    }
    default: return *this;
  }
}

TextAppender& TextAppender::csvField(std::string_view field) {
  const std::size_t start = size();
  // Copied and checked in one go: fields are short, and most need no quotes.
  char* to = room(field.size());
  bool special = false;
  for (const char c : field) {
    special |= kCsvSpecial[static_cast<unsigned char>(c)];
    *to++ = c;
  }
  end_ = to;
  if (special) quoteCsvFieldFrom(start);
  return *this;
}

TextAppender& TextAppender::csvEventValue(const EventValue& value) {
  // Numbers, "nan" and "inf" never need quotes; only a text value can.
  if (value.dataType != ValueDataType::String) return eventValue(value);
  const std::size_t start = size();
  eventValue(value);
  quoteCsvFieldFrom(start);
  return *this;
}

void TextAppender::quoteCsvFieldFrom(std::size_t start) {
  const std::size_t length = size() - start;
  std::size_t quotes = 0;
  {
    const std::string_view field(storage_.get() + start, length);
    if (!needsCsvQuotes(field)) return;
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
  out_.write(view().data(), static_cast<std::streamsize>(size()));
  clear();
}

}  // namespace vyn::profiling
