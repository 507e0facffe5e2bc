// Output text in memory: fixed notation against printf, and the buffer that
// carries large outputs to their streams.
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
                          0.0078125,
                          0.0234375,  // halfway: rounds to even, down and up
                          -0.0000005,
                          999999.9999995,
                          limits::denorm_min(),
                          limits::infinity(),
                          -limits::infinity(),
                          limits::quiet_NaN(),
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
