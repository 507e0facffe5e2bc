// The stream buffer that carries large reports to their files and standard
// output in whole blocks.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <sstream>
#include <string>

#include "report/stream_buffers.h"

namespace vyn::testing {
namespace {

// Drives a buffer of 64-byte blocks in front of target; reached() is what the
// target holds so far.
template <typename Buffer, typename Target, typename Reached>
void writeInBlocks(Target& target, Reached reached) {
  std::string expected;
  {
    Buffer blocks(target, 64);
    std::ostream out(&blocks);
    const auto put = [&](const std::string& piece) {
      out << piece;
      expected += piece;
    };
    for (int piece = 0; piece < 21; ++piece) put(std::string(piece % 7 + 1, static_cast<char>('a' + piece)));
    EXPECT_EQ(reached(), expected.substr(0, 64));  // 84 bytes in small writes: one whole block has gone on
    put(std::string(32, 'H'));                     // half a block goes straight through, after what was held before it
    EXPECT_EQ(reached(), expected);
    put("tail");
    EXPECT_EQ(reached(), expected.substr(0, expected.size() - 4));
    out.flush();
    EXPECT_EQ(reached(), expected);
    put("end");
  }
  EXPECT_EQ(reached(), expected);
}

TEST(StreamBuffers, SmallWritesGoOnInWholeBlocksAndLargeOnesAtOnce) {
  std::stringbuf file;
  writeInBlocks<profiling::BlockStreamBuf>(file, [&file] { return file.str(); });
  std::FILE* stdioFile = std::tmpfile();
  ASSERT_NE(stdioFile, nullptr);
  std::setvbuf(stdioFile, nullptr, _IONBF, 0);  // so that every fwrite shows in the file
  writeInBlocks<profiling::BlockStreamBuf>(stdioFile, [stdioFile] {
    std::string text(256, '\0');
    const ssize_t size = ::pread(fileno(stdioFile), text.data(), text.size(), 0);
    text.resize(size > 0 ? static_cast<std::size_t>(size) : 0);
    return text;
  });
  std::fclose(stdioFile);
}

// A block larger than the buffer's first memory: the memory grows as text
// gathers, and the target still sees nothing before a whole block, then the
// block at once, as if the block had been there from the start.
TEST(StreamBuffers, MemoryGrowsToTheBlockWithoutHandingOnEarly) {
  constexpr std::size_t kBlock = 5 * profiling::BlockStreamBuf::kFirstBytes + 3;  // not a doubling of the first
  std::stringbuf file;
  std::string expected;
  {
    profiling::BlockStreamBuf blocks(file, kBlock);
    EXPECT_EQ(blocks.capacity(), profiling::BlockStreamBuf::kFirstBytes);
    std::ostream out(&blocks);
    for (std::size_t piece = 0; expected.size() + 100 < kBlock; ++piece) {
      const std::string text(piece % 97 + 1, static_cast<char>('a' + piece % 26));
      out << text;
      expected += text;
      ASSERT_EQ(file.str(), "") << "handed on after " << expected.size() << " bytes";
    }
    out << 'x' << std::string(150, 'y');  // one character, then a write that crosses the block's end
    expected += 'x' + std::string(150, 'y');
    EXPECT_EQ(blocks.capacity(), kBlock);
    EXPECT_EQ(file.str(), expected.substr(0, kBlock));
    const std::string large(kBlock / 8, 'L');  // straight through, after what was held
    out << large;
    expected += large;
    EXPECT_EQ(file.str(), expected);
  }
  EXPECT_EQ(file.str(), expected);
}

}  // namespace
}  // namespace vyn::testing
