// The log's JSON form: base64 for bytes, the schema's names for enumerations,
// and entries that come back as they went out.
#include "format/log_json.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "format/log_json_base64.h"

namespace vyn::tools {
namespace {

using Bytes = std::vector<std::uint8_t>;

TEST(LogJsonBase64, DecodesOnlyCanonicalPaddedText) {
  const std::pair<std::string, std::optional<Bytes>> cases[] = {
      {"", Bytes{}},
      {"AAEC", Bytes{0, 1, 2}},
      {"AQ==", Bytes{1}},
      {"//4=", Bytes{0xFF, 0xFE}},
      {"AQ=", std::nullopt},       // not a multiple of four
      {"AR==", std::nullopt},      // bits set in the padded group
      {"AP9=", std::nullopt},      // the same with one padding character
      {"AQ==AQ==", std::nullopt},  // padding before the end
      {"AA=A", std::nullopt},      // a digit after the padding
      {"=AAA", std::nullopt},
      {"A A=", std::nullopt},  // no blanks
      {"A===", std::nullopt},  // one character cannot hold a byte
      {"!!!!", std::nullopt},  // outside the alphabet
  };
  for (const auto& [text, bytes] : cases) {
    EXPECT_EQ(base64Decode(text), bytes) << text;
    if (bytes) {
      EXPECT_EQ(base64Encode(*bytes), text) << text;
    }
  }
}

// Each entry read from its JSON text and written again reads back the same.
TEST(LogJson, EntriesSurviveTheWayOutAndBack) {
  const char* entries[] = {
      R"({"raw_record": "AAEC"})",
      R"({"trailing_bytes": "AQ=="})",
      R"({"header": {"time_scale": 1.5, "generator_name": "g"}})",
      R"({"messages": [{"timestamp": 5, "method_type": "Execute", "timing": {"start": 10, "end": 20},
          "level": 3, "name": {"base64": "/w=="},
          "events": [{"name": "e", "identifier": 7, "value_kind": "Float64", "double_value": "NaN",
                      "unit": 99, "sub_events": [{"bytes_value": [0, 255]}]}]}]})",
  };
  for (const char* text : entries) {
    const LogEntry entry = entryFromJson(Json::parse(text), "$[0]");
    const Json written = entryToJson(entry);
    EXPECT_EQ(entryToJson(entryFromJson(written, "$[0]")), written) << text;
  }
  EXPECT_EQ(entryFromJson(Json::parse(entries[0]), "$[0]").bytes, (Bytes{0, 1, 2}));
  EXPECT_EQ(entryFromJson(Json::parse(entries[1]), "$[0]").kind, LogEntry::Kind::Trailing);
  const LogEntry message = entryFromJson(Json::parse(entries[3]), "$[0]");
  ASSERT_TRUE(message.record.messages.has_value());
  EXPECT_EQ((*message.record.messages)[0].name, std::string("\xff"));
  EXPECT_EQ((*message.record.messages)[0].methodType, std::optional<std::int8_t>(1));
}

TEST(LogJson, ValuesThatDescribeNoLogAreRefused) {
  const char* entries[] = {
      R"({"raw_record": "AQ="})",
      R"({"messages": 3})",
      R"({"messages": [{"method_type": "Frobnicate"}]})",
      R"({"messages": [{"method_type": "execute"}]})",  // names are case-sensitive
      R"([1, 2])",
  };
  for (const char* text : entries) EXPECT_THROW(entryFromJson(Json::parse(text), "$[0]"), JsonLogError) << text;
}

}  // namespace
}  // namespace vyn::tools
