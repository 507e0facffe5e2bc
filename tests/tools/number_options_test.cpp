// The numbers of the command lines: sizes with their units up to the last one
// 64 bits hold, and whole numbers read in decimal within their range.
#include "common/number_options.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>

namespace vyn::tools {
namespace {

TEST(ByteSizeTest, UnitsAreBinaryWithoutBAndInIBAndDecimalWithB) {
  const std::pair<std::string, std::uint64_t> sizes[] = {{"7b", 7},           {"1KiB", 1024},       {"1KB", 1000},
                                                         {"3M", 3145728},     {"3MB", 3000000},     {"2G", 2147483648},
                                                         {"2GB", 2000000000}, {"1gib", 1073741824}, {"007K", 7168}};
  for (const auto& [text, bytes] : sizes) {
    std::string problem;
    EXPECT_EQ(parseByteSize(text, problem), bytes) << text;
    EXPECT_EQ(problem, "") << text;
  }
}

// The largest size of each unit that 64 bits hold is taken; the next is refused.
TEST(ByteSizeTest, SizesBeyondSixtyFourBitsAreRefusedNotWrapped) {
  const std::string tooLarge = "' is more bytes than 64 bits hold; give at most 18446744073709551615 bytes";
  const struct {
    std::string largest;
    std::uint64_t bytes;
    std::string first;
  } edges[] = {
      {"18446744073709551615", 18446744073709551615u, "18446744073709551616"},
      {"18014398509481983K", 18446744073709550592u, "18014398509481984K"},
      {"18446744073709551KB", 18446744073709551000u, "18446744073709552KB"},
      {"17592186044415MiB", 18446744073708503040u, "17592186044416MiB"},
      {"18446744073709MB", 18446744073709000000u, "18446744073710MB"},
      {"17179869183G", 18446744072635809792u, "17179869184G"},
      {"18446744073GB", 18446744073000000000u, "18446744074GB"},
      {"18446744073709551615B", 18446744073709551615u, "99999999999999999999999B"},
  };
  for (const auto& edge : edges) {
    std::string problem;
    EXPECT_EQ(parseByteSize(edge.largest, problem), edge.bytes) << edge.largest;
    EXPECT_EQ(parseByteSize(edge.first, problem), std::nullopt) << edge.first;
    EXPECT_EQ(problem, "'" + edge.first + tooLarge);
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
      {0, 10, "-0", "0", ""},
      {0, 10, "11", "", "11 is more than 10"},
      {0, 10, "-1", "", "-1 is negative"},
      {1, 10, "0", "", "0 is less than 1"},
      {-128, 127, "-128", "-128", ""},
      {-128, 127, "-0129", "", "-0129 is less than -128"},
      {-128, 127, "+5", "", "'+5' is not a whole number"},
      {0, UINT64_MAX, "18446744073709551615", "18446744073709551615", ""},
      {0, UINT64_MAX, "18446744073709551616", "", "18446744073709551616 is more than 18446744073709551615"},
      {INT64_MIN, 0, "-9223372036854775808", "-9223372036854775808", ""},
      {INT64_MIN, 0, "-9223372036854775809", "", "-9223372036854775809 is less than -9223372036854775808"},
      {0, 10, "1 ", "", "'1 ' is not a whole number"},
      {0, 10, "", "", "'' is not a whole number"},
  };
  for (const auto& c : cases) {
    const CLI::Validator validator = wholeNumber(c.min, c.max, "what fits");
    std::string text = c.text;
    const std::string refusal = validator(text);
    EXPECT_EQ(refusal, c.refusal.empty() ? "" : c.refusal + "; give what fits") << c.text;
    EXPECT_EQ(c.refusal.empty() ? text : "", c.taken) << c.text;
  }
}

TEST(NonNegativeNumberTest, TakesFiniteNumbersOfZeroOrMore) {
  const CLI::Validator validator = nonNegativeNumber("a percentage of 0 or more");
  const std::pair<std::string, std::string> cases[] = {{"0", ""},
                                                       {".5", ""},
                                                       {"1e2", ""},
                                                       {"-0", ""},
                                                       {"-0.1", "-0.1 is negative"},
                                                       {"1e999", "1e999 is too large"},
                                                       {"nan", "'nan' is not a number"},
                                                       {"0x10", "'0x10' is not a number"},
                                                       {"1e", "'1e' is not a number"}};
  for (const auto& [text, refusal] : cases) {
    std::string value = text;
    EXPECT_EQ(validator(value), refusal.empty() ? "" : refusal + "; give a percentage of 0 or more") << text;
  }
}

}  // namespace
}  // namespace vyn::tools
