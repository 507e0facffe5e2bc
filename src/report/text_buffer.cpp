#include "report/text_buffer.h"

#include <charconv>
#include <iterator>
#include <limits>

#include "report/csv_field.h"
#include "report/event_text.h"

namespace vyn::profiling {

void appendUnsigned(std::string& text, std::uint64_t number) {
  char digits[std::numeric_limits<std::uint64_t>::digits10 + 2];
  const auto end = std::to_chars(std::begin(digits), std::end(digits), number).ptr;
  text.append(digits, static_cast<std::size_t>(end - digits));
}

void appendSigned(std::string& text, std::int64_t number) {
  char digits[std::numeric_limits<std::int64_t>::digits10 + 3];
  const auto end = std::to_chars(std::begin(digits), std::end(digits), number).ptr;
  text.append(digits, static_cast<std::size_t>(end - digits));
}

void appendFixed(std::string& text, double number) {
  // Sign, the 309 integer digits of the largest double, the point and six decimals.
  char digits[std::numeric_limits<double>::max_exponent10 + 16];
  // Correctly rounded from the exact binary value, ties to even, like printf.
  const auto end =
      std::to_chars(std::begin(digits), std::end(digits), number, std::chars_format::fixed, 6).ptr;
  text.append(digits, static_cast<std::size_t>(end - digits));
}

TextBuffer& TextBuffer::eventValue(const EventValue& value) {
  appendEventValue(text_, value);
  return *this;
}

TextBuffer& TextBuffer::csvField(std::string_view field) {
  appendCsvField(text_, field);
  return *this;
}

TextBuffer& TextBuffer::csvEventValue(const EventValue& value) {
  const std::size_t start = text_.size();
  appendEventValue(text_, value);
  quoteCsvField(text_, start);
  return *this;
}

void TextBuffer::flush() {
  if (text_.empty()) return;
  out_.write(text_.data(), static_cast<std::streamsize>(text_.size()));
  text_.clear();
}

}  // namespace vyn::profiling
