// The JSON form of logs: values that JSON cannot hold as they are, presence of
// fields, and the base64 codec behind byte values.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "common/base64.h"
#include "common/log_json.h"
#include "format/record_codec.h"

namespace vyn::tools {
namespace {

// JSON text -> model -> record bytes -> model -> JSON value.
Json throughRecord(const std::string& text) {
  const LogEntry entry = entryFromJson(Json::parse(text), "$[0]");
  flatbuffers::FlatBufferBuilder builder;
  profiling::encodeRecord(entry.record, builder);
  LogEntry decoded;
  decoded.record = profiling::decodeRecord(builder.GetBufferPointer(), builder.GetSize());
  return entryToJson(decoded);
}

TEST(Base64Test, EncodesAndDecodesEveryPaddingLength) {
  const std::vector<std::uint8_t> bytes = {0x00, 0xFF, 0x10, 0x80};
  const char* expected[] = {"", "AA==", "AP8=", "AP8Q", "AP8QgA=="};
  for (std::size_t n = 0; n <= bytes.size(); ++n) {
    const std::vector<std::uint8_t> prefix(bytes.begin(), bytes.begin() + static_cast<long>(n));
    EXPECT_EQ(base64Encode(prefix), expected[n]);
    EXPECT_EQ(base64Decode(expected[n]), prefix);
  }
}

TEST(Base64Test, RejectsTextThatIsNotCanonical) {
  for (const char* text : {"A", "AAA", "AA=A", "=AAA", "AB==", "AP9=", "A A=", "AA==AA==", "AP8*"}) {
    EXPECT_FALSE(base64Decode(text).has_value()) << text;
  }
}

TEST(LogJsonTest, NumbersAtTheLimitsOfTheirFieldsSurvive) {
  // Fields in schema order, the order in which they come back.
  const std::string text = R"({"messages": [{"timestamp": {"value": 18446744073709551615, "sequence": 0},
      "methodType": -128, "timing": {"start": 0, "end": 18446744073709551615, "clockKind": 255}, "level": 127,
      "events": [{"identifier": 4294967295, "unit": 4294967295, "valueKind": 77,
                  "signedValue": -9223372036854775808, "floatValue": 0.1, "doubleValue": 0.1}]}]})";
  EXPECT_EQ(throughRecord(text), Json::parse(text));
}

TEST(LogJsonTest, NonFiniteNumbersAreWrittenAsNames) {
  const std::string text = R"({"header": {"timeScale": "NaN"}, "messages": [{"events": [
      {"floatValue": "-Infinity", "doubleValue": "Infinity"}, {"doubleValue": "NaN"}]}]})";
  const Json back = throughRecord(text);
  EXPECT_EQ(back, Json::parse(text));
  EXPECT_EQ(entryFromJson(back, "$").record.messages->at(0).events->at(0).floatValue,
            -std::numeric_limits<float>::infinity());
}

TEST(LogJsonTest, TextThatIsNotUtf8TravelsAsBase64AndNulBytesStay) {
  const LogEntry entry = entryFromJson(Json::parse(R"({"messages": [{"name": "a\u0000b",
      "events": [{"name": {"base64": "/w=="}, "stringValue": "caf\u00e9"}]}]})"), "$");
  const MessageModel& message = entry.record.messages->at(0);
  EXPECT_EQ(*message.name, std::string("a\0b", 3));
  EXPECT_EQ(*message.events->at(0).name, "\xff");
  const Json back = entryToJson(entry);
  EXPECT_EQ(back["messages"][0]["name"], std::string("a\0b", 3));
  EXPECT_EQ(back["messages"][0]["events"][0]["name"], (Json{{"base64", "/w=="}}));
  EXPECT_EQ(back["messages"][0]["events"][0]["stringValue"], "caf\u00e9");

  // Overlong forms and encoded surrogates are not UTF-8 either.
  for (const char* bad : {"\xc0\xaf", "\xed\xa0\x80", "\xf4\x90\x80\x80", "ab\xe2\x82"}) {
    LogEntry odd;
    odd.record.messages.emplace(1);
    odd.record.messages->at(0).name = bad;
    EXPECT_TRUE(entryToJson(odd)["messages"][0]["name"].is_object()) << bad;
  }
}

TEST(LogJsonTest, ByteValuesMayBeNumbersAndEnumerationsNumbersOrNames) {
  const LogEntry entry = entryFromJson(
      Json::parse(R"({"messages": [{"methodType": 3, "events": [
          {"bytesValue": [0, 255, 7], "unit": "Object", "valueKind": 4}]}]})"),
      "$");
  const EventModel& event = entry.record.messages->at(0).events->at(0);
  EXPECT_EQ(*event.bytesValue, (std::vector<std::uint8_t>{0, 255, 7}));
  EXPECT_EQ(entryToJson(entry)["messages"][0],
            Json::parse(R"({"methodType": "ExecuteRoundTrip", "events": [
                {"unit": "Object", "valueKind": "Bytes", "bytesValue": "AP8H"}]})"));
}

TEST(LogJsonTest, TimestampWithOnlyAValueIsWrittenAsThatNumber) {
  EXPECT_EQ(throughRecord(R"({"messages": [{"timestamp": {"value": 5}}]})")["messages"][0]["timestamp"], 5);
}

}  // namespace
}  // namespace vyn::tools
