// Names are arbitrary bytes; each output format has one rule for them.
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>
#include <random>
#include <string>

#include "base/csv_field.h"
#include "base/json_text.h"
#include "base/terminal_text.h"
#include "base/text_buffer.h"
#include "base/utf8.h"

namespace vyn::base {
namespace {

using std::string_literals::operator""s;

// The text with every ill-formed part, as utf8SequenceAt splits them, replaced by U+FFFD.
std::string validUtf8(std::string_view text) {
  std::string valid;
  for (std::size_t at = 0; at < text.size();) {
    const Utf8Sequence sequence = utf8SequenceAt(text, at);
    valid.append(sequence.wellFormed ? text.substr(at, sequence.length) : kReplacementCharacter);
    at += sequence.length;
  }
  return valid;
}

TEST(TerminalText, ControlCharactersAndIllFormedBytesBecomeVisibleEscapes) {
  const struct {
    std::string name, shown;
  } kCases[] = {
      {"conv1", "conv1"},
      {"evil\x1b[2J\x1b[31mRED", "evil\\x1b[2J\\x1b[31mRED"},
      {"two\nlines\r\tand tab", "two\\nlines\\r\\tand tab"},
      {"nul\0byte"s, "nul\\x00byte"},
      {"back\\slash", "back\\\\slash"},
      // A C1 control in UTF-8: CSI (U+009B).
      {"csi\xC2\x9B"
       "31m",
       "csi\\u009b31m"},
      // U+00A0 and after are printable.
      {"nbsp\xC2\xA0 caf\xC3\xA9 \xE2\x82\xAC \xF0\x9F\x98\x80",
       "nbsp\xC2\xA0 caf\xC3\xA9 \xE2\x82\xAC \xF0\x9F\x98\x80"},
      // A raw 0x9B byte is CSI to an 8-bit terminal.
      {"raw\x9b"
       "2J",
       "raw\\x9b2J"},
      {"cut\xE2\x82", "cut\\xe2\\x82"},
      {"overlong\xC0\xAF", "overlong\\xc0\\xaf"},
  };
  for (const auto& c : kCases) EXPECT_EQ(terminalText(c.name), c.shown) << c.shown;
}

// The tools' own JSON string escaper writes what the JSON library writes, for
// mostly plain texts with runs of special bytes anywhere in them.
TEST(JsonText, AgreesWithTheJsonLibrarysReplacingSerializer) {
  const std::string special = "\"\\\n\x1f\x7f\x80\xBF\xC2\xC3\xA9\xE0\xA0\xED\xF0\x90\xF4\x8F\xFF"s;
  std::mt19937 random(7);
  for (int round = 0; round < 20000; ++round) {
    std::string text;
    const std::size_t length = random() % 24;
    for (std::size_t i = 0; i < length; ++i) {
      if (random() % 4 != 0) text += char('a' + i % 26);
      for (std::size_t n = random() % 4 == 0 ? 1 + random() % 3 : 0; n > 0; --n)
        text += special[random() % special.size()];
    }
    std::string ours;
    appendJsonString(ours, text);
    const std::string library = nlohmann::json(text).dump(-1, ' ', false, nlohmann::json::error_handler_t::replace);
    ASSERT_EQ(ours, library) << nlohmann::json(text).dump(-1, ' ', true, nlohmann::json::error_handler_t::replace);
    // What validUtf8 leaves is valid: the strict serializer takes it.
    ASSERT_EQ(nlohmann::json(validUtf8(text)).dump(), ours);
  }
}

// Both writers of CSV fields, the one that appends and the one that quotes in
// place, quote only fields that hold a separator.
TEST(CsvField, QuotesOnlyFieldsThatHoldASeparator) {
  const std::pair<std::string, std::string> kCases[] = {
      {"conv1", "conv1"},
      {"", ""},
      {"a,b", "\"a,b\""},
      {"\"hi\", said", "\"\"\"hi\"\", said\""},
      {"two\nlines", "\"two\nlines\""},
      {"x\ry", "\"x\ry\""},
      {"semi;colon", "semi;colon"},
      // A field of eight characters or more, the character to quote near its end.
      {"0123456\"8", "\"0123456\"\"8\""},
  };
  for (const auto& [field, written] : kCases) {
    std::string out;
    appendCsvField(out, field);
    EXPECT_EQ(out, written);
    EXPECT_EQ(TextAppender().text("before,").csvField(field).text(",after").view(), "before," + written + ",after");
  }
  // The quoted field outgrows the storage the plain one fitted in.
  const std::string head(4093, 'h');
  EXPECT_EQ(TextAppender().text(head).csvField("\"\"\"").view(), head + std::string(8, '"'));
}

// The test looks at eight characters at a time: a separator must be found at
// every place of every length.
TEST(CsvField, SeparatorsAreFoundAtEveryPlaceOfEveryLength) {
  for (const char separator : {',', '"', '\r', '\n'}) {
    for (std::size_t length = 1; length <= 20; ++length) {
      for (std::size_t at = 0; at < length; ++at) {
        std::string field(length, 'a');
        field[at] = separator;
        EXPECT_TRUE(holdsCsvSeparators(field)) << int(separator) << " at " << at << " of " << length;
      }
    }
  }
}

}  // namespace
}  // namespace vyn::base
