// Output text built in memory and handed to its stream or file in large pieces:
// the reports, the exports and every writer that makes many short pieces.
#ifndef VYN_BASE_TEXT_BUFFER_H_
#define VYN_BASE_TEXT_BUFFER_H_

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>
#include <ostream>
#include <string_view>

#include "base/output_file.h"

namespace vyn::base {

// A text that grows at its end, with the formats every report shares. Numbers
// depend neither on a stream's formatting state nor on the process's locale.
class TextAppender {
 public:
  TextAppender() = default;
  TextAppender(const TextAppender&) = delete;
  TextAppender& operator=(const TextAppender&) = delete;

  TextAppender& text(std::string_view part) {
    copyChars(room(part.size()), part.data(), part.size());
    end_ += part.size();
    return *this;
  }
  TextAppender& character(char c) {
    *room(1) = c;
    ++end_;
    return *this;
  }
  TextAppender& blanks(std::size_t count) {
    static constexpr std::string_view kBlanks = "                                ";
    return count <= kBlanks.size() ? text(kBlanks.substr(0, count)) : repeat(' ', count);
  }
  TextAppender& repeat(char c, std::size_t count);
  // Plain decimal.
  TextAppender& number(std::uint64_t value);
  // Decimal with a leading '-' when negative.
  TextAppender& signedNumber(std::int64_t value);
  // The shortest decimal that reads back as the same single or double.
  // REQUIRES: value is finite.
  TextAppender& shortest(float value);
  TextAppender& shortest(double value);
  // Fixed notation with the given number of decimals: the text of printf's
  // "%.*f" in the C locale, "nan", "-nan", "inf" and "-inf" included.
  TextAppender& fixed(double value, int decimals = 6);
  // field as it is, or, when it holds a comma, a double quote, CR or LF,
  // wrapped in double quotes with every inner double quote doubled.
  TextAppender& csvField(std::string_view field);
  // Puts the text from start to the end into its CSV field form.
  TextAppender& csvFieldFrom(std::size_t start);

  std::string_view view() const { return {storage_.get(), static_cast<std::size_t>(end_ - storage_.get())}; }
  std::size_t size() const { return static_cast<std::size_t>(end_ - storage_.get()); }
  void clear() { end_ = storage_.get(); }

 private:
  // Reports are made of short pieces (names, separators, units): those are
  // copied inline rather than through a call.
  static void copyChars(char* to, const char* from, std::size_t count) {
    if (count > 16) {
      std::memcpy(to, from, count);
    } else if (count >= 8) {
      copyOverlapping<std::uint64_t>(to, from, count);
    } else if (count >= 4) {
      copyOverlapping<std::uint32_t>(to, from, count);
    } else {
      for (std::size_t i = 0; i < count; ++i) to[i] = from[i];
    }
  }
  // The first and the last sizeof(Word) characters, which cover all count of them.
  template <typename Word>
  static void copyOverlapping(char* to, const char* from, std::size_t count) {
    Word first;
    Word last;
    std::memcpy(&first, from, sizeof first);
    std::memcpy(&last, from + count - sizeof last, sizeof last);
    std::memcpy(to, &first, sizeof first);
    std::memcpy(to + count - sizeof last, &last, sizeof last);
  }

  // Makes room for count more characters and returns where they go.
  char* room(std::size_t count) {
    if (static_cast<std::size_t>(capacityEnd_ - end_) < count) grow(count);
    return end_;
  }
  void grow(std::size_t count);

  std::unique_ptr<char[]> storage_;
  char* end_ = nullptr;
  char* capacityEnd_ = nullptr;
};

// Text on its way to a stream or an output file: gathered in memory and written
// in blocks of about blockSize bytes, one write per block instead of one
// formatted insertion per field. What is still held is written by flush() and
// when the buffer goes away; flush() before anything else writes to the stream.
class TextBuffer : public TextAppender {
 public:
  static constexpr std::size_t kDefaultBlockSize = 64 * 1024;

  explicit TextBuffer(std::ostream& out, std::size_t blockSize = kDefaultBlockSize)
      : out_(&out), blockSize_(blockSize) {}
  TextBuffer(OutputFile& file, std::size_t blockSize)
      : file_(&file),
        writeFile_([](OutputFile& to, std::string_view text) { to.write(text); }),
        blockSize_(blockSize) {}
  ~TextBuffer() { flush(); }

  // Ends the line; a full block goes to the stream.
  void endLine() {
    character('\n');
    if (size() >= blockSize_) flush();
  }
  void flush();

  // False once a write to the output file failed (a stream keeps its own state).
  bool healthy() const { return file_ == nullptr || file_->problem().empty(); }

  // The stream the text goes to, for writers that write to it themselves
  // (after flush()). REQUIRES: the buffer writes to a stream.
  std::ostream& stream() { return *out_; }

 private:
  std::ostream* out_ = nullptr;
  OutputFile* file_ = nullptr;
  // The file's write, reached through a pointer set where a buffer for a file
  // is made: a program that writes no output file (the plug-in) does not carry
  // the output file's code (nor the compression behind it).
  void (*writeFile_)(OutputFile&, std::string_view) = nullptr;
  const std::size_t blockSize_;
};

}  // namespace vyn::base

#endif  // VYN_BASE_TEXT_BUFFER_H_
