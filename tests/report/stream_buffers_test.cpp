// The stream buffer that carries large reports to their files and standard
// output in whole blocks (standard output: through the golden report tests).
#include <gtest/gtest.h>

#include <sstream>
#include <string>

#include "report/stream_buffers.h"

namespace vyn::testing {
namespace {

// Blocks of 64 bytes in front of a stream's buffer.
TEST(StreamBuffers, SmallWritesGoOnInWholeBlocksAndLargeOnesAtOnce) {
  std::stringbuf file;
  std::string expected;
  {
    profiling::BlockStreamBuf blocks(file, 64);
    std::ostream out(&blocks);
    const auto put = [&](const std::string& piece) {
      out << piece;
      expected += piece;
    };
    for (int piece = 0; piece < 21; ++piece) put(std::string(piece % 7 + 1, static_cast<char>('a' + piece)));
    EXPECT_EQ(file.str(), expected.substr(0, 64));  // 84 bytes in small writes: one whole block has gone on
    put(std::string(32, 'H'));                      // half a block goes straight through, after what was held before it
    EXPECT_EQ(file.str(), expected);
    put("tail");
    EXPECT_EQ(file.str(), expected.substr(0, expected.size() - 4));
    out.flush();
    EXPECT_EQ(file.str(), expected);
    put("end");
  }
  EXPECT_EQ(file.str(), expected);
}

// A block larger than the buffer's first memory: the memory grows as text
// gathers, and the target sees nothing before the whole block, then all of it.
TEST(StreamBuffers, MemoryGrowsToTheBlockWithoutHandingOnEarly) {
  constexpr std::size_t kBlock = 5 * profiling::BlockStreamBuf::kFirstBytes + 3;  // not a doubling of the first
  std::stringbuf file;
  std::string expected;
  {
    profiling::BlockStreamBuf blocks(file, kBlock);
    std::ostream out(&blocks);
    for (std::size_t piece = 0; expected.size() + 100 < kBlock; ++piece) {
      const std::string text(piece % 97 + 1, static_cast<char>('a' + piece % 26));
      out << text;
      expected += text;
    }
    EXPECT_EQ(file.str(), "");
    out << 'x' << std::string(150, 'y');  // one character, then a write that crosses the block's end
    expected += 'x' + std::string(150, 'y');
    EXPECT_EQ(blocks.capacity(), kBlock);
    EXPECT_EQ(file.str(), expected.substr(0, kBlock));
  }
  EXPECT_EQ(file.str(), expected);
}

}  // namespace
}  // namespace vyn::testing
