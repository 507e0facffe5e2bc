// Output text in memory: number formats against printf, and the buffer that
// carries large outputs to their streams. (CSV quoting in place: with the other
// writers of names, in text_encoding_test.)
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <limits>
#include <random>
#include <sstream>

#include "base/text_buffer.h"

namespace vyn::testing {
namespace {

using base::TextAppender;

// The process runs in the C locale, so printf is the reference for the digits.
TEST(TextAppender, FixedNotationIsPrintfsInTheCLocale) {
  const auto appendedFixed = [](double value) { return std::string(base::TextAppender().fixed(value).view()); };
  const auto printfFixed = [](double value) {
    char text[512];
    std::snprintf(text, sizeof text, "%f", value);
    return std::string(text);
  };
  const auto fromBits = [](std::uint64_t bits) {
    double value;
    std::memcpy(&value, &bits, sizeof value);
    return value;
  };
  using limits = std::numeric_limits<double>;
  const double edges[] = {0.0,
                          -0.0,
                          0.1,
                          static_cast<double>(0.1f),
                          0.0078125,
                          0.0234375,  // halfway: rounds to even, down and up
                          0.0000005,
                          -0.0000005,
                          9.9999995,
                          999999.9999995,
                          0.9999999,
                          4503599627370495.5,
                          9007199254740993.0,
                          1e22,
                          1.8446744073709552e19,
                          limits::max(),
                          -limits::max(),
                          limits::min(),
                          limits::denorm_min(),
                          -limits::denorm_min(),
                          limits::infinity(),
                          -limits::infinity(),
                          limits::quiet_NaN(),
                          -limits::quiet_NaN(),
                          fromBits(0x7FF0000000000001ull),
                          fromBits(0xFFF8000000000123ull)};
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

TEST(TextAppender, IntegersAtTheirLimits) {
  base::TextAppender text;
  text.number(0).character(' ').number(std::numeric_limits<std::uint64_t>::max()).character(' ');
  text.signedNumber(std::numeric_limits<std::int64_t>::min()).character(' ');
  text.signedNumber(std::numeric_limits<std::int64_t>::max()).character(' ').signedNumber(-1).character(' ');
  EXPECT_EQ(text.view(), "0 18446744073709551615 -9223372036854775808 9223372036854775807 -1 ");
}

TEST(TextBuffer, LinesReachTheStreamInBlocksAndInOrder) {
  std::ostringstream out;
  std::string expected = "first\ndirect\n";
  {
    base::TextBuffer lines(out);
    lines.text("first");
    lines.endLine();
    EXPECT_EQ(out.str(), "");  // held until a block is full or the buffer is flushed
    lines.flush();
    out << "direct\n";
    for (std::uint64_t row = 0; row < 20000; ++row) {
      lines.text("row ").number(row);
      lines.endLine();
      expected += "row " + std::to_string(row) + "\n";
    }
    EXPECT_GT(out.str().size(), 64u * 1024);
  }
  EXPECT_EQ(out.str(), expected);
}

}  // namespace
}  // namespace vyn::testing
