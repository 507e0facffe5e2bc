// The storage of a loaded log: texts and rows stay where they were put while
// the log grows, and lists of events are walked in pre-order.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "model/event_list.h"
#include "model/event_store.h"
#include "model/text_pool.h"

namespace vyn::profiling {
namespace {

// A string-valued event holds the address of its text for the reader's life.
TEST(TextPool, TextsStayWhereTheyArePutWhileThePoolGrows) {
  TextPool pool;
  EXPECT_STREQ(pool.cString(kEmptyText), "");
  std::vector<std::string> texts(20000);
  std::vector<const char*> addresses;
  // Many short texts fill block after block; a long one takes a block of its own.
  for (std::size_t k = 0; k < texts.size(); ++k) {
    texts[k] = k == 5000 ? std::string(3u << 20, 'x') : k % 1000 == 7 ? "" : "text " + std::to_string(k);
    const TextId id = pool.add(texts[k]);
    ASSERT_EQ(id.value(), k + 1);
    addresses.push_back(pool.cString(id));
  }
  for (std::uint32_t k = 0; k < texts.size(); ++k) {
    const TextId id(k + 1);
    ASSERT_EQ(pool.cString(id), addresses[k]) << k;
    ASSERT_EQ(addresses[k], texts[k]) << k;  // and NUL-terminated there
    ASSERT_EQ(pool.view(id), texts[k]) << k;
  }
}

// Lists of many sizes cross block after block, and one is longer than any block.
TEST(EventStore, ListsStayContiguousAndInPlace) {
  EventStore store;
  EXPECT_TRUE(store.append(nullptr, 0).empty());
  std::vector<std::pair<EventSpan, const EventRow*>> spans;
  std::uint32_t next = 0;
  for (std::size_t k = 0; k < 600; ++k) {
    std::vector<EventRow> rows(k == 300 ? 150000 : 1 + k * 7919 % 1500);
    for (EventRow& row : rows) row.identifier = next++;
    spans.emplace_back(store.append(rows.data(), rows.size()), nullptr);
    ASSERT_EQ(spans.back().first.count, rows.size());
    spans.back().second = store.rows(spans.back().first);
  }
  EXPECT_EQ(store.rowCount(), next);
  next = 0;
  for (const auto& [span, rows] : spans) {
    ASSERT_EQ(store.rows(span), rows);
    for (std::uint32_t k = 0; k < span.count; ++k) ASSERT_EQ(rows[k].identifier, next++);
  }
}

TEST(EventList, WalkGoesOnlyIntoTheEventsAsked) {
  TextPool texts;
  EventStore store;
  std::vector<EventRow> rows;  // a{b{c} d} e{f}
  for (const std::uint8_t depth : std::initializer_list<std::uint8_t>{0, 1, 2, 1, 0, 1})
    rows.push_back({0, texts.add(std::string(1, static_cast<char>('a' + rows.size()))), 0, 0, depth, {}, 0, 0});
  struct Case {
    std::size_t first, count;
    std::string notEntered, visited;  // name and depth of each event visited
  };
  const Case cases[] = {
      {0, 6, "", "a0 b1 c2 d1 e0 f1"},
      {0, 6, "b", "a0 b1 d1 e0 f1"},
      {0, 6, "ae", "a0 e0"},
      {1, 3, "", "b0 c1 d0"} /* depths from the list's top */,
  };
  for (const Case& c : cases) {
    std::string visited;
    walkEvents(EventList(rows.data() + c.first, c.count, texts, store), [&](const EventItem& e) {
      visited += (visited.empty() ? "" : " ") + std::string(e.name) + std::to_string(e.depth);
      return c.notEntered.find(e.name) == std::string::npos;
    });
    EXPECT_EQ(visited, c.visited) << c.first << " " << c.notEntered;
  }
}

}  // namespace
}  // namespace vyn::profiling
