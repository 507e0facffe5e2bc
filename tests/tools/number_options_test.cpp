// The numbers of the command lines: sizes with their units up to the last one
// 64 bits hold, and whole numbers read in decimal within their range.
#include "common/number_options.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>

namespace vyn::tools {
namespace {

// Units are binary without B and in iB, decimal with B; the largest size of a
// unit that 64 bits hold is taken, the next is refused rather than wrapped.
TEST(ByteSizeTest, UnitsAreBinaryWithoutBAndInIBAndDecimalWithBUpToSixtyFourBits) {
  const std::pair<std::string, std::uint64_t> sizes[] = {{"7b", 7},
                                                         {"1KiB", 1024},
                                                         {"1KB", 1000},
                                                         {"3M", 3145728},
                                                         {"2GB", 2000000000},
                                                         {"1gib", 1073741824},
                                                         {"007K", 7168},
                                                         {"18446744073709551615", 18446744073709551615u},
                                                         {"18014398509481983K", 18446744073709550592u},
                                                         {"18446744073GB", 18446744073000000000u}};
  for (const auto& [text, bytes] : sizes) {
    std::string problem;
    EXPECT_EQ(parseByteSize(text, problem), bytes) << text;
    EXPECT_EQ(problem, "") << text;
  }
  for (const std::string text :
       {"18446744073709551616", "18014398509481984K", "18446744074GB", "99999999999999999999B"}) {
    std::string problem;
    EXPECT_EQ(parseByteSize(text, problem), std::nullopt) << text;
    EXPECT_EQ(problem, "'" + text + "' is more bytes than 64 bits hold; give at most 18446744073709551615 bytes");
  }
}

TEST(ByteSizeTest, WhatIsNoSizeIsRefused) {
  const std::string notASize =
      "' is not a size; give a number of bytes with an optional unit: K, M, G (or KiB, "
      "MiB, GiB) for powers of 1024, KB, MB, GB for powers of 1000, e.g. 34MB or 1GiB";
  const std::string noSize = "' is no size; give 1 byte or more";
  for (const std::string text : {"", "MB", "1.5G", "-1", "-1K", "1 MB", "1TB", "0x10", "12MBs", " 1", "0", "000K"}) {
    std::string problem;
    EXPECT_EQ(parseByteSize(text, problem), std::nullopt) << text;
    EXPECT_EQ(problem, "'" + text + (text == "0" || text == "000K" ? noSize : notASize));
  }
}

// The validators rewrite what they take as the plain number they mean, so that
// no later reading (octal, hexadecimal) sees anything else.
TEST(WholeNumberTest, TakesDecimalDigitsWithinTheRangeUpToTheEnds) {
  const struct {
    std::int64_t min;
    std::uint64_t max;
    std::string text, taken, refusal;
  } cases[] = {
      {0, 10, "010", "10", ""},
      {0, 10, "11", "", "11 is more than 10"},
      {0, 10, "-1", "", "-1 is negative"},
      {1, 10, "0", "", "0 is less than 1"},
      {-128, 127, "-0129", "", "-0129 is less than -128"},
      {-128, 127, "+5", "", "'+5' is not a whole number"},
      {0, UINT64_MAX, "18446744073709551615", "18446744073709551615", ""},
      {0, UINT64_MAX, "18446744073709551616", "", "18446744073709551616 is more than 18446744073709551615"},
      {0, 10, "1 ", "", "'1 ' is not a whole number"},
  };
  for (const auto& c : cases) {
    const CLI::Validator validator = wholeNumber(c.min, c.max, "what fits");
    std::string text = c.text;
    const std::string refusal = validator(text);
    EXPECT_EQ(refusal, c.refusal.empty() ? "" : c.refusal + "; give what fits") << c.text;
    EXPECT_EQ(c.refusal.empty() ? text : "", c.taken) << c.text;
  }
}

}  // namespace
}  // namespace vyn::tools
