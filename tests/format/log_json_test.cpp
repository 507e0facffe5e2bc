// The log's JSON form: base64 for bytes, and values that describe no log.
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
