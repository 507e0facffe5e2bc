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

}  // namespace
}  // namespace vyn::testing
