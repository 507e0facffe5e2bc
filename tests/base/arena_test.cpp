// The arena: where its pieces land, that they stay whole, what it reports.
#include "base/arena.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

namespace vyn::base {
namespace {

std::uintptr_t address(const void* p) { return reinterpret_cast<std::uintptr_t>(p); }

TEST(Arena, AlignedPiecesLandOnTheirAlignmentAfterAnyOddPiece) {
  // An odd-sized piece first leaves the next free byte unaligned.
  const struct {
    std::size_t odd, bytes, alignment;
  } kCases[] = {
      {1, 8, 8}, {3, 24, 8}, {7, 4, 4}, {5, 16, 16}, {1, 1, 2}, {13, 64, 64}, {1, 100, 4096},
  };
  for (const auto& c : kCases) {
    Arena arena;
    arena.allocate(c.odd);
    const char* piece = arena.allocateAligned(c.bytes, c.alignment);
    EXPECT_EQ(address(piece) % c.alignment, 0u) << c.bytes << " at " << c.alignment;
  }
}

TEST(Arena, PiecesKeepTheirContentsWhileMoreBlocksArrive) {
  Arena arena;
  std::vector<std::pair<char*, std::string>> pieces;
  for (int i = 0; i < 5000; ++i) {
    std::string text =
        std::to_string(i) + std::string(static_cast<std::size_t>(i % 1500), static_cast<char>('a' + i % 26));
    char* piece =
        i % 3 == 0 ? arena.allocate(text.size()) : arena.allocateAligned(text.size(), std::size_t{1} << (i % 5));
    std::memcpy(piece, text.data(), text.size());
    pieces.emplace_back(piece, std::move(text));
  }
  // A piece larger than the largest block is whole too.
  const std::size_t large = 3 * Arena::kLargestBlockBytes;
  std::memset(arena.allocate(large), 'x', large);
  for (const auto& [piece, text] : pieces) ASSERT_EQ(std::string(piece, text.size()), text);
  // Five thousand pieces of 750 bytes on average come to about 3.75 MB; blocks
  // of at most 1 MiB waste at most a quarter each, and their list a little.
  EXPECT_GT(arena.memoryUsage(), large + 3700000);
  EXPECT_LT(arena.memoryUsage(), large + 5200000);
}

}  // namespace
}  // namespace vyn::base
