#include "analysis/export_text_buffer.h"

#include "base/number_text.h"

namespace vyn::tools {
namespace {

constexpr std::size_t kBufferSize = 1 << 20;

}  // namespace

ExportTextBuffer::ExportTextBuffer(base::OutputFile& output)
    : output_(output), data_(new char[kBufferSize]), at_(data_.get()), end_(data_.get() + kBufferSize) {}

void ExportTextBuffer::number(std::uint64_t value) { at_ = base::writeNumber(numberRoom(), value); }
void ExportTextBuffer::number(std::int64_t value) { at_ = base::writeNumber(numberRoom(), value); }
void ExportTextBuffer::shortest(float value) { at_ = base::writeShortest(numberRoom(), value); }
void ExportTextBuffer::shortest(double value) { at_ = base::writeShortest(numberRoom(), value); }

bool ExportTextBuffer::number(const ExportNumber& value) {
  switch (value.kind) {
    case ExportNumber::Kind::Signed:
      number(value.signedNumber);
      return true;
    case ExportNumber::Kind::Unsigned:
      number(value.unsignedNumber);
      return true;
    case ExportNumber::Kind::Single:
      shortest(value.single);
      return true;
    case ExportNumber::Kind::Double:
      shortest(value.wide);
      return true;
    case ExportNumber::Kind::None:
      break;
  }
  return false;
}

void ExportTextBuffer::spill(std::string_view text) {
  flush();
  if (text.size() > static_cast<std::size_t>(end_ - at_)) {
    output_.write(text);  // larger than the whole buffer: straight out
    return;
  }
  std::char_traits<char>::copy(at_, text.data(), text.size());
  at_ += text.size();
}

void ExportTextBuffer::flush() {
  output_.write(data_.get(), static_cast<std::size_t>(at_ - data_.get()));
  at_ = data_.get();
}

}  // namespace vyn::tools
