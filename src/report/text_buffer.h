// Report text built in memory and handed to its stream in large pieces.
#ifndef VYN_REPORT_TEXT_BUFFER_H_
#define VYN_REPORT_TEXT_BUFFER_H_

#include <cstddef>
#include <cstdint>
#include <ostream>
#include <string>
#include <string_view>

#include "vyn/profiling/profile_event.h"

namespace vyn::profiling {

// Number texts appended to text. They depend neither on a stream's formatting
// state nor on the process's locale.
void appendUnsigned(std::string& text, std::uint64_t number);
void appendSigned(std::string& text, std::int64_t number);
// Fixed notation with six decimals: the text of printf's "%f" in the C locale,
// "nan", "-nan", "inf" and "-inf" included.
void appendFixed(std::string& text, double number);

// Gathers the lines of one printer and writes them to the stream in blocks of
// about kBlockSize bytes, one stream write per block instead of one formatted
// insertion per field. What is still held is written by flush() and when the
// buffer goes out of scope; flush() before anything else writes to the stream.
class TextBuffer {
 public:
  explicit TextBuffer(std::ostream& out) : out_(out) {}
  TextBuffer(const TextBuffer&) = delete;
  TextBuffer& operator=(const TextBuffer&) = delete;
  ~TextBuffer() { flush(); }

  TextBuffer& text(std::string_view part) {
    text_.append(part);
    return *this;
  }
  TextBuffer& character(char c) {
    text_.push_back(c);
    return *this;
  }
  TextBuffer& blanks(std::size_t count) {
    text_.append(count, ' ');
    return *this;
  }
  TextBuffer& number(std::uint64_t value) {
    appendUnsigned(text_, value);
    return *this;
  }
  // The formatEventValue text of value.
  TextBuffer& eventValue(const EventValue& value);
  // field as a CSV field: quoted when it holds a separator (see csv_field.h).
  TextBuffer& csvField(std::string_view field);
  // The formatEventValue text of value as a CSV field.
  TextBuffer& csvEventValue(const EventValue& value);

  // Ends the line; a full block goes to the stream.
  void endLine() {
    text_.push_back('\n');
    if (text_.size() >= kBlockSize) flush();
  }
  void flush();

  // The stream the text goes to, for the formatting state the printers leave on it.
  std::ostream& stream() { return out_; }

 private:
  static constexpr std::size_t kBlockSize = 64 * 1024;

  std::ostream& out_;
  std::string text_;
};

}  // namespace vyn::profiling

#endif  // VYN_REPORT_TEXT_BUFFER_H_
