// The in-memory report text: number formats against printf, CSV quoting done in
// place, and the buffers that carry large reports to their streams.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <random>
#include <sstream>

#include "report/stream_buffers.h"
#include "report/text_buffer.h"

namespace vyn::testing {
namespace {

using profiling::TextAppender;

std::string printfFixed(double value) {
  char text[512];
  std::snprintf(text, sizeof text, "%f", value);
  return text;
}

std::string appendedFixed(double value) {
  TextAppender text;
  text.fixed(value);
  return std::string(text.view());
}

double fromBits(std::uint64_t bits) {
  double value;
  std::memcpy(&value, &bits, sizeof value);
  return value;
}

// The process runs in the C locale, so printf is the reference for the digits.
TEST(TextAppender, FixedNotationIsPrintfsInTheCLocale) {
  using limits = std::numeric_limits<double>;
  const double edges[] = {
      0.0, -0.0, 0.1, static_cast<double>(0.1f), 0.0078125, 0.0234375,  // halfway: rounds to even, down and up
      0.0000005, -0.0000005, 9.9999995, 999999.9999995, 0.9999999, 4503599627370495.5, 9007199254740993.0, 1e22,
      1.8446744073709552e19, limits::max(), -limits::max(), limits::min(), limits::denorm_min(),
      -limits::denorm_min(), limits::infinity(), -limits::infinity(), limits::quiet_NaN(), -limits::quiet_NaN(),
      fromBits(0x7FF0000000000001ull), fromBits(0xFFF8000000000123ull)};
  for (const double value : edges) EXPECT_EQ(appendedFixed(value), printfFixed(value)) << std::hexfloat << value;
  std::mt19937_64 random(20240611);
  for (int i = 0; i < 20000; ++i) {
    const double anyBits = fromBits(random());
    ASSERT_EQ(appendedFixed(anyBits), printfFixed(anyBits)) << std::hexfloat << anyBits;
    // Short binary fractions often end in a 5 right after the sixth decimal.
    const auto numerator = static_cast<std::int64_t>(random() % 2000001) - 1000000;
    const double fraction = std::ldexp(static_cast<double>(numerator), -static_cast<int>(random() % 30));
    ASSERT_EQ(appendedFixed(fraction), printfFixed(fraction)) << std::hexfloat << fraction;
  }
}

TEST(TextAppender, IntegersAtTheirLimitsAndEventValuesAsCsvFields) {
  static const char kText[] = "a,\"b\"";
  TextAppender text;
  text.number(0).character(' ').number(std::numeric_limits<std::uint64_t>::max()).character(' ');
  text.signedNumber(std::numeric_limits<std::int64_t>::min()).character(' ');
  text.signedNumber(std::numeric_limits<std::int64_t>::max()).character(' ').signedNumber(-1).character(' ');
  text.csvEventValue({profiling::ValueDataType::String, reinterpret_cast<std::uintptr_t>(kText)});
  text.character('|').csvEventValue({profiling::ValueDataType::Int32, 0xFFFFFFFEu});
  text.character('|').csvEventValue({profiling::ValueDataType::String, 0});  // no text at all
  EXPECT_EQ(text.view(), "0 18446744073709551615 -9223372036854775808 9223372036854775807 -1 \"a,\"\"b\"\"\"|-2|");
}

TEST(TextAppender, CsvFieldsAreQuotedInPlace) {
  const std::pair<std::string, std::string> cases[] = {
      {"plain", "plain"}, {"", ""},  {"a,b", "\"a,b\""}, {"\"", "\"\"\"\""}, {"x\ry", "\"x\ry\""},
      {"x\ny", "\"x\ny\""}, {"say \"hi\", ok", "\"say \"\"hi\"\", ok\""},
  };
  for (const auto& [field, expected] : cases) {
    EXPECT_EQ(TextAppender().text("before,").csvField(field).text(",after").view(), "before," + expected + ",after");
  }
  // The quoted field outgrows the storage the plain one fitted in.
  TextAppender text;
  const std::string head(4093, 'h');
  text.text(head).csvField("\"\"\"");
  EXPECT_EQ(text.view(), head + std::string(8, '"'));
}

TEST(TextBuffer, LinesReachTheStreamInBlocksAndInOrder) {
  std::ostringstream out;
  std::string expected;
  {
    profiling::TextBuffer lines(out);
    lines.text("first");
    lines.endLine();
    EXPECT_EQ(out.str(), "");  // held until a block is full or the buffer is flushed
    lines.flush();
    out << "direct\n";
    expected = "first\ndirect\n";
    for (std::uint64_t row = 0; row < 20000; ++row) {
      lines.text("row ").number(row);
      lines.endLine();
      expected += "row " + std::to_string(row) + "\n";
    }
    EXPECT_GT(out.str().size(), 64u * 1024);
    EXPECT_LT(out.str().size(), expected.size());
  }
  EXPECT_EQ(out.str(), expected);
}

TEST(StreamBuffers, BlockAndMemoryBuffersPassOnEveryByteInOrder) {
  std::stringbuf file;
  profiling::MemoryStreamBuf memory;
  std::string expected;
  {
    profiling::BlockStreamBuf blocks(file, 16);
    std::ostream toFile(&blocks);
    std::ostream toMemory(&memory);
    const auto write = [&](const std::string& piece) {
      toFile.write(piece.data(), static_cast<std::streamsize>(piece.size()));
      toMemory << piece;
      toMemory.put('\n');
      toFile.put('\n');
      expected += piece + '\n';
    };
    for (int length = 0; length < 40; ++length) write(std::string(length, static_cast<char>('a' + length % 26)));
    // Only whole blocks have been handed on so far.
    EXPECT_EQ(file.str(), expected.substr(0, expected.size() / 16 * 16));
    toFile.flush();
    EXPECT_EQ(file.str(), expected);
    for (int i = 0; i < 3; ++i) write(std::string(150 * 1024, static_cast<char>('0' + i)));
    write("tail");
    EXPECT_TRUE(toMemory.good());
  }
  EXPECT_EQ(file.str(), expected);
  EXPECT_EQ(memory.text(), expected);
}

}  // namespace
}  // namespace vyn::testing
