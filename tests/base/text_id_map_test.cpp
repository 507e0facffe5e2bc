// The id map of base: first value kept, colliding ids apart, growth keeps every
// entry.
#include <gtest/gtest.h>

#include <cstdint>

#include "base/text_id_map.h"

namespace vyn::base {
namespace {

struct Id {
  std::uint32_t bits = 0;
  std::uint32_t value() const { return bits; }
  bool operator==(Id other) const { return bits == other.bits; }
};

using Map = TextIdMap<Id>;

TEST(TextIdMap, KeepsTheFirstValueOfEachIdThroughGrowth) {
  Map map;
  EXPECT_EQ(map.find(Id{0}), Map::kMissing) << "an empty map";
  // Ids 0..999 at 2*id, then every id again with another value; dense ids and
  // ids that differ only in high bits (which the spreading must tell apart).
  for (std::uint32_t k = 0; k < 1000; ++k) ASSERT_TRUE(map.insert(Id{k}, 2 * k));
  for (std::uint32_t k = 0; k < 1000; ++k) ASSERT_TRUE(map.insert(Id{k << 20 | 0xFFFFF}, k));
  for (std::uint32_t k = 0; k < 1000; ++k) ASSERT_FALSE(map.insert(Id{k}, 7));
  const struct {
    std::uint32_t id, value;
  } kCases[] = {
      {0, 0}, {999, 1998}, {0xFFFFF, 0}, {999u << 20 | 0xFFFFF, 999}, {1000, Map::kMissing}, {1u << 20, Map::kMissing},
  };
  for (const auto& c : kCases) EXPECT_EQ(map.find(Id{c.id}), c.value) << c.id;
}

}  // namespace
}  // namespace vyn::base
