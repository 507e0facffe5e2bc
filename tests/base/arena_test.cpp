// The arena: where its pieces land, when it takes new blocks, what it reports.
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

TEST(Arena, BlocksStartSmallAndDoubleUpToTheLargest) {
  // Pieces of a quarter block each, the most a block takes as its own: four to
  // a block. The first block is 4 KiB, so each piece is 1 KiB; later blocks
  // take more of them.
  Arena arena;
  const std::size_t piece = Arena::kFirstBlockBytes / 4;
  std::size_t expectedUsage = 0;
  std::size_t blockBytes = Arena::kFirstBlockBytes;
  for (int block = 0; block < 12; ++block) {
    for (std::size_t i = 0; i < blockBytes / piece; ++i) arena.allocate(piece);
    expectedUsage += blockBytes;
    ASSERT_EQ(arena.blockCount(), static_cast<std::size_t>(block + 1));
    EXPECT_GE(arena.memoryUsage(), expectedUsage);
    EXPECT_LT(arena.memoryUsage(), expectedUsage + 1024) << "only the list of blocks besides";
    blockBytes = std::min(2 * blockBytes, Arena::kLargestBlockBytes);
  }
}

TEST(Arena, ALargePieceGetsItsOwnBlockAndTheCurrentBlockIsKept) {
  // The first block (4 KiB) is filled to 4000 bytes; the next one would be 8 KiB, so a
  // piece of more than 2 KiB is large.
  const struct {
    std::size_t large;
    bool ownBlock;
  } kCases[] = {
      {1024, false},  // from a new block, the rest of the first given up
      {2048, false},  // a quarter of the next block: still from it
      {2049, true},  {100000, true}, {Arena::kLargestBlockBytes * 3, true},
  };
  for (const auto& c : kCases) {
    Arena arena;
    const char* first = arena.allocate(1000);
    for (int i = 0; i < 3; ++i) arena.allocate(1000);
    ASSERT_EQ(arena.blockCount(), 1u);
    const std::size_t usage = arena.memoryUsage();
    char* large = arena.allocate(c.large);
    std::memset(large, 'x', c.large);  // all of it is there
    const char* after = arena.allocate(90);
    EXPECT_EQ(arena.blockCount(), 2u) << c.large;
    if (c.ownBlock) {
      EXPECT_GE(arena.memoryUsage(), usage + c.large) << c.large;
      EXPECT_LT(arena.memoryUsage(), usage + c.large + 1024) << c.large;
      EXPECT_EQ(after, first + 4000) << "the first block goes on: " << c.large;
    } else {
      EXPECT_GE(arena.memoryUsage(), usage + 2 * Arena::kFirstBlockBytes) << c.large;
      EXPECT_EQ(after, large + c.large) << c.large;
    }
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
  for (const auto& [piece, text] : pieces) ASSERT_EQ(std::string(piece, text.size()), text);
  // Five thousand pieces of 750 bytes on average come to about 3.75 MB; blocks
  // of at most 1 MiB waste at most a quarter each, and their list a little.
  EXPECT_GT(arena.memoryUsage(), std::size_t{3700000});
  EXPECT_LT(arena.memoryUsage(), std::size_t{5200000});
}

}  // namespace
}  // namespace vyn::base
