// The output file: whole or nothing, and never over a file the user could not
// have written in place.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <zlib.h>

#include <filesystem>
#include <iterator>
#include <random>

#include "base/output_file.h"
#include "base/placeholder_file.h"
#include "support/temp_dir.h"

namespace vyn::base {
namespace {

using testing::fileExists;
using testing::readFile;
using testing::TempDir;
using testing::writeFile;

mode_t modeOf(const std::string& path) {
  struct stat status {};
  ::stat(path.c_str(), &status);
  return status.st_mode & 07777;
}

std::ptrdiff_t entriesIn(const std::string& directory) {
  return std::distance(std::filesystem::directory_iterator(directory), std::filesystem::directory_iterator());
}

// Runs body in a child process as an unprivileged user (nobody, when the test
// runs as root); returns the child's exit status.
template <typename Body>
int asUnprivilegedUser(Body body) {
  const pid_t child = ::fork();
  if (child == 0) {
    if (::geteuid() == 0 && (::setgid(65534) != 0 || ::setuid(65534) != 0)) ::_exit(90);
    ::_exit(body());
  }
  int status = 0;
  ::waitpid(child, &status, 0);
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

TEST(OutputFile, ReplacesAWritableFileWholeAndKeepsItsMode) {
  TempDir dir;
  const std::string target = dir.file("report.txt");
  writeFile(target, "old content that is longer");
  ::chmod(target.c_str(), 0640);
  OutputFile output;
  ASSERT_TRUE(output.open(target)) << output.problem();
  output.write("new");
  EXPECT_EQ(readFile(target), "old content that is longer");
  ASSERT_TRUE(output.close()) << output.problem();
  EXPECT_EQ(readFile(target), "new");
  EXPECT_EQ(modeOf(target), 0640u);
  EXPECT_EQ(entriesIn(dir.path()), 1);
}

// Compressed as written, a piece larger than the compressor's output buffer (of
// bytes that do not compress) included; nothing replaces the file before close().
TEST(OutputFile, GzipCompressedOutputReadsBackAsWritten) {
  TempDir dir;
  const std::string target = dir.file("rows.csv.gz");
  writeFile(target, "old");
  std::string expected = "header\n";
  std::mt19937 random(7);
  std::string noise(3 << 20, '\0');
  for (char& c : noise) c = static_cast<char>(random());
  OutputFile output;
  ASSERT_TRUE(output.open(target)) << output.problem();
  output.compressWithGzip();
  output.write(expected);
  output.write(noise);
  output.write("tail\n");
  expected += noise + "tail\n";
  EXPECT_EQ(readFile(target), "old");
  ASSERT_TRUE(output.close()) << output.problem();
  EXPECT_EQ(output.bytesWritten(), expected.size());

  gzFile file = gzopen(target.c_str(), "rb");
  ASSERT_NE(file, nullptr);
  std::string content(expected.size() + 1, '\0');
  const int read = gzread(file, content.data(), static_cast<unsigned>(content.size()));
  EXPECT_EQ(gzdirect(file), 0);
  gzclose(file);
  content.resize(static_cast<std::size_t>(std::max(read, 0)));
  EXPECT_TRUE(content == expected) << "read back " << content.size() << " of " << expected.size() << " bytes";
}

// In a folder anyone may write to, renaming over a read-only file needs no
// permission on the file itself; the tool must refuse as a shell redirect does.
TEST(OutputFile, RefusesToReplaceAFileTheUserMayNotWrite) {
  TempDir dir;
  ::chmod(dir.path().c_str(), 0777);
  const std::string target = dir.file("target.txt");
  writeFile(target, "keep me");
  ::chmod(target.c_str(), 0444);
  const int status = asUnprivilegedUser([&] {
    OutputFile output;
    if (output.open(target)) return 1;
    return output.problem() == "cannot be replaced: permission denied" ? 0 : 2;
  });
  EXPECT_EQ(status, 0);
  EXPECT_EQ(readFile(target), "keep me");
  EXPECT_EQ(modeOf(target), 0444u);
  EXPECT_EQ(entriesIn(dir.path()), 1);
}

TEST(PlaceholderFile, HoldsANameUntilReleasedAndGoesWhenAbandoned) {
  TempDir dir;
  const std::string path = dir.file("out.csv");
  {
    PlaceholderFile placeholder;
    ASSERT_TRUE(placeholder.create(path));
    EXPECT_TRUE(fileExists(path));
    EXPECT_FALSE(PlaceholderFile().create(path));
  }
  EXPECT_FALSE(fileExists(path));

  PlaceholderFile kept;
  ASSERT_TRUE(kept.create(path));
  kept.release();
  kept.remove();
  EXPECT_TRUE(fileExists(path));

  // Something else written at the name meanwhile is not the placeholder's to remove.
  ::unlink(path.c_str());
  PlaceholderFile replaced;
  ASSERT_TRUE(replaced.create(path));
  writeFile(path, "content");
  replaced.remove();
  EXPECT_EQ(readFile(path), "content");
}

}  // namespace
}  // namespace vyn::base
