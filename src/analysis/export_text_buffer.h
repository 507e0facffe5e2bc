// The text of exported rows on its way to the output file: gathered in a large
// buffer that goes out in large writes, with the number forms of the export.
// Appending is inline and cheap, since a large log makes millions of rows.
#ifndef VYN_ANALYSIS_EXPORT_TEXT_BUFFER_H_
#define VYN_ANALYSIS_EXPORT_TEXT_BUFFER_H_

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "analysis/export_row.h"
#include "base/number_text.h"
#include "base/output_file.h"

namespace vyn::tools {

class ExportTextBuffer {
 public:
  explicit ExportTextBuffer(base::OutputFile& output);
  ExportTextBuffer(const ExportTextBuffer&) = delete;
  ExportTextBuffer& operator=(const ExportTextBuffer&) = delete;

  void text(std::string_view text) {
    if (text.size() > static_cast<std::size_t>(end_ - at_)) return spill(text);
    std::char_traits<char>::copy(at_, text.data(), text.size());
    at_ += text.size();
  }
  void character(char c) {
    if (at_ == end_) flush();
    *at_++ = c;
  }
  // Plain decimal.
  void number(std::uint64_t value);
  void number(std::int64_t value);
  // The shortest decimal that reads back as the same single or double.
  // REQUIRES: value is finite.
  void shortest(float value);
  void shortest(double value);
  // The value cell's number in its own form; false, writing nothing, when it holds none.
  bool number(const ExportNumber& value);

  // Hands everything gathered to the output file.
  void flush();
  // False once a write to the output file failed.
  bool healthy() const { return output_.problem().empty(); }

 private:
  // Text that does not fit in what is left of the buffer.
  void spill(std::string_view text);
  // Makes room for a number.
  char* numberRoom() {
    if (static_cast<std::size_t>(end_ - at_) < base::kNumberTextRoom) flush();
    return at_;
  }

  base::OutputFile& output_;
  std::unique_ptr<char[]> data_;
  char* at_;
  char* end_;
};

}  // namespace vyn::tools

#endif  // VYN_ANALYSIS_EXPORT_TEXT_BUFFER_H_
