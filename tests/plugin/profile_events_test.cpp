// Rows of a loaded log as the ProfileEvent trees of the reader interface.
#include "plugin/profile_events.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "model/log_model.h"

namespace vyn::profiling {
namespace {

// "name#identifier=dataType:payload unit[detailText aux bytes]{sub-events}",
// a text value as 'its text'.
std::string show(const std::vector<ProfileEvent>& events) {
  std::string text;
  for (const ProfileEvent& e : events) {
    char value[64];
    std::snprintf(value, sizeof value, "%x:%llx %u", e.value.dataType, static_cast<unsigned long long>(e.value.payload),
                  e.unit);
    text += (text.empty() ? "" : " ") + e.name + "#" + std::to_string(e.identifier) + "=" +
            (e.value.dataType == ValueDataType::String
                 ? "'" + std::string(reinterpret_cast<const char*>(e.value.payload)) + "'"
                 : value);
    if (!e.detailText.empty() || e.auxValue != 0 || !e.bytes.empty()) {
      text += "[" + e.detailText + " " + std::to_string(e.auxValue);
      for (const std::uint8_t byte : e.bytes) text += " " + std::to_string(byte);
      text += "]";
    }
    if (!e.subEvents.empty()) text += "{" + show(e.subEvents) + "}";
  }
  return text;
}

TEST(ProfileEvents, RowsBecomeTreesAndAReusedVectorKeepsNothingStale) {
  LogModel model;
  const auto row = [&model](std::uint8_t depth, const char* name, ValueType type, std::uint64_t bits,
                            std::uint8_t unit = 0, std::uint32_t identifier = 0, std::uint32_t extra = 0) {
    return EventRow{bits, model.texts.add(name), identifier, extra, depth, type, unit, 0};
  };
  const auto extra = [&model](const char* file, std::vector<std::uint8_t> bytes, std::uint64_t aux) {
    return model.events.addExtra({model.texts.add(file), 0, nullptr, aux}, bytes.data(), bytes.size());
  };
  const auto list = [&model](const std::vector<EventRow>& rows) {
    return model.list(model.events.append(rows.data(), rows.size()));
  };
  const TextId hello = model.texts.add("hello");
  const EventList small = list({
      row(0, "run", ValueType::UInt64, 1500, 1, 7),
      row(1, "label", ValueType::Text, textValueBits(hello)),
      row(2, "deep", ValueType::Int64, static_cast<std::uint64_t>(-2)),
      row(3, "deeper", ValueType::Float64, 0x3FE0000000000000),
      row(1, "blob", ValueType::None, 0, 5, 0, extra("out.bin", {1, 2, 3}, 9)),
      row(0, "count", ValueType::UInt64, 3, 4),
  });
  // Larger, with texts, bytes and sub-events where the small one has none.
  const EventList large = list({
      row(0, "old", ValueType::None, 0, 5, 1, extra("old.bin", {4, 5, 6, 7}, 1)),
      row(1, "a", ValueType::Text, textValueBits(model.texts.add("old"))),
      row(2, "b", ValueType::UInt64, 1),
      row(3, "c", ValueType::UInt64, 1),
      row(4, "d", ValueType::UInt64, 1),
      row(0, "g", ValueType::Text, textValueBits(hello)),
      row(1, "h", ValueType::UInt64, 1),
      row(0, "i", ValueType::Float32, 1),
  });
  const std::string expected =
      "run#7=164:5dc 1{label#0='hello'{deep#0=64:fffffffffffffffe 0{deeper#0=264:3fe0000000000000 0}} "
      "blob#0=7fffffff:0 5[out.bin 9 1 2 3]} count#0=164:3 4";

  std::vector<ProfileEvent> reused;
  fillProfileEvents(large, reused);
  fillProfileEvents(small, reused);
  EXPECT_EQ(show(reused), expected);
  // The text value points into the pool, which outlives any copy of the event.
  EXPECT_EQ(reused[0].subEvents[0].value.payload, reinterpret_cast<std::uintptr_t>(model.texts.cString(hello)));
  fillProfileEvents(EventList(), reused);
  EXPECT_TRUE(reused.empty());
}

}  // namespace
}  // namespace vyn::profiling
