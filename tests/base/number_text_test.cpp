// Numbers as the outputs write them: plain decimal integers, and the shortest
// decimal that reads back as the same floating-point value; and the width of
// UTF-8 text in characters.
#include "base/number_text.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <string>

#include "base/utf8.h"

namespace vyn::base {
namespace {

TEST(NumberTextTest, IntegersArePlainDecimal) {
  EXPECT_EQ(numberText(std::uint64_t{18446744073709551615u}), "18446744073709551615");
  EXPECT_EQ(numberText(std::numeric_limits<std::int64_t>::min()), "-9223372036854775808");
  std::string out = "x=";
  appendNumber(out, 7);
  EXPECT_EQ(out, "x=7");
}

// The longest shortest form of a double fits the room every buffer keeps.
TEST(NumberTextTest, FloatingPointValuesTakeTheShortestFormThatReadsBack) {
  const struct {
    double value;
    const char* text;
  } cases[] = {
      {0.1, "0.1"},
      {1e300, "1e+300"},
      {-2.2250738585072014e-308, "-2.2250738585072014e-308"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(shortestText(c.value), c.text);
    std::string out;
    appendShortest(out, c.value);
    EXPECT_EQ(out, c.text);
  }
  EXPECT_LE(std::string("-2.2250738585072014e-308").size(), kNumberTextRoom);
  char single[kNumberTextRoom];
  EXPECT_EQ(std::string(single, writeShortest(single, 0.1f)), "0.1");
}

TEST(Utf8WidthTest, CharactersCountOncePerCharacterNotPerByte) {
  const struct {
    std::string text;
    std::size_t characters;
  } cases[] = {
      {"", 0},
      {"conv1", 5},
      {"\xC3\xA9t\xC3\xA9", 3},  // été
      {"\xE2\x80\xA6", 1},       // …
      {"\xF0\x9F\x98\x80!", 2},  // an emoji and '!'
  };
  for (const auto& c : cases) EXPECT_EQ(characterCount(c.text), c.characters) << c.text;
  EXPECT_TRUE(startsCharacter('a'));
  EXPECT_TRUE(startsCharacter('\xC3'));
  EXPECT_FALSE(startsCharacter('\xA9'));
}

}  // namespace
}  // namespace vyn::base
