// What top shows of a refresh: the JSON line, worked out by hand, with a name of
// arbitrary bytes kept within JSON and the screen free of raw control bytes;
// whether it is complete is top_follow_test.py's.
#include "analysis/top_view.h"

#include <gtest/gtest.h>

#include <string>

#include "support/captured_model.h"

namespace vyn::tools {
namespace {

using vyn::testing::Event;
using vyn::testing::Message;

constexpr int kExecute = 1;
// An escape sequence that would turn a terminal red, a quote and a byte that
// is no UTF-8.
const std::string kHostile = "n\x1b[31m\"\xff";

TEST(TopView, TheJsonLineAndTheScreenKeepNamesWithinTheirFormats) {
  vyn::testing::CapturedModel log;
  log.add({Message::of(kExecute).named(kHostile).lasting(100).event(Event::named("a\nb").u64(40).withUnit(1)),
           Message::of(kExecute).named(kHostile).lasting(300)});
  profiling::LiveFigures live;
  live.advance(log.model());
  TopRefresh refresh;
  refresh.timeSeconds = 1.5;
  refresh.intervalSeconds = 0.5;
  refresh.bytes = 96;
  refresh.records = 1;
  refresh.fault = "record 1 at byte offset 96: bad";
  refresh.graphs = live.figures(log.model(), 5);
  // Two executions in the interval of 0.5 s: 4 per second; p99 of 100 and 300
  // is 100 + 0.99 * 200. complete, waiting_bytes and fault in every state:
  // top_follow_test.py.
  EXPECT_EQ(
      topLine(refresh, log.model()),
      "{\"time_s\":1.5,\"bytes\":96,\"records\":1,\"waiting_bytes\":0,\"complete\":false,"
      "\"fault\":\"record 1 at byte offset 96: bad\","
      "\"graphs\":[{\"name\":\"n\\u001b[31m\\\"\xEF\xBF\xBD\",\"executions\":2,\"new_executions\":2,"
      "\"rate_per_s\":4,\"last_us\":300,\"p50_us\":200,\"p99_us\":298,\"interval_p50_us\":200,"
      "\"interval_p99_us\":298,\"events\":[{\"path\":\"a\\nb\",\"unit\":\"us\",\"total\":40,\"occurrences\":1}]}]}\n");

  refresh.fault.reset();
  refresh.waitingBytes = 7;
  const std::string screen = topScreen("run\x1b.log", refresh, log.model());
  for (const char c : screen) {
    ASSERT_TRUE(c == '\n' || static_cast<unsigned char>(c) >= 0x20) << "a raw control byte in:\n" << screen;
  }
  EXPECT_EQ(screen.rfind("run\\x1b.log: 1 record, 96 bytes; waiting for the rest of a record (7 bytes so far)", 0), 0u)
      << screen;
  EXPECT_NE(screen.find("n\\x1b[31m\"\\xff"), std::string::npos) << screen;
  EXPECT_NE(screen.find("a\\nb"), std::string::npos) << screen;
}

}  // namespace
}  // namespace vyn::tools
