// Data files of object-valued events: numbered names, and names from the log
// that must not write outside the working directory, through a link or over a file.
#include <gtest/gtest.h>

#include "log/captured_log.h"
#include "report/data_file_writer.h"
#include "report_test_util.h"

namespace vyn::testing {
namespace {

namespace fs = std::filesystem;

class EventDataFile : public ScratchWork {
 protected:
  void save(const std::string& name, const std::string& bytes = "x") {
    files.write(name, {reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size()});
  }
  std::string outside(const std::string& name) const { return root.file(name); }

  profiling::DataFileWriter files;
  CapturedLog log;
};

TEST_F(EventDataFile, TakenNamesMoveOnToNumberedCandidates) {
  for (const char* directory : {"a.b", "d.bin"}) fs::create_directory(directory);
  for (const char* name : {"trace", "a.b/c"}) writeFile(name, "old");
  // The number goes before the extension of the last path component only; a
  // directory takes a name as a file does.
  const std::pair<const char*, const char*> cases[] = {
      {"trace", "trace_1"}, {"a.b/c", "a.b/c_1"}, {"d.bin", "d_1.bin"}, {"fresh.bin", "fresh.bin"}};
  for (const auto& [name, file] : cases) {
    const std::string bytes = std::string("\0", 1) + file;
    save(name, bytes);
    EXPECT_EQ(readFile(file), bytes) << name;
  }
  for (const char* name : {"trace", "a.b/c"}) EXPECT_EQ(readFile(name), "old") << name;
  EXPECT_TRUE(log.errors().empty());
}

TEST_F(EventDataFile, NamesLeavingTheWorkingDirectoryAreRefused) {
  const std::string names[] = {outside("absolute.bin"), "../escape.bin", "sub/../../escape.bin", "x/..",
                               "missing/f.bin",         "ends/"};
  std::vector<std::string> expected;
  for (const std::string& name : names) {
    save(name);
    expected.push_back("Invalid output fileName: [" + name + "]");
  }
  save("");  // no name: nothing to write and nothing to report
  EXPECT_EQ(entriesBelowRoot(), std::vector<std::string>{"work"});
  EXPECT_EQ(log.errors(), expected);
}

TEST_F(EventDataFile, SymbolicLinksAreNeverFollowed) {
  writeFile(outside("victim"), "keep");
  fs::create_directory(outside("elsewhere"));
  fs::create_symlink(outside("victim"), "victim.bin");
  fs::create_symlink(outside("target.bin"), "dangling.bin");
  fs::create_directory_symlink(outside("elsewhere"), "dirlink");
  for (const char* name : {"victim.bin", "dangling.bin", "dirlink/f.bin"}) save(name, name);
  EXPECT_EQ(readFile(outside("victim")), "keep");
  EXPECT_FALSE(fileExists(outside("target.bin")));
  EXPECT_TRUE(fs::is_empty(outside("elsewhere")));
  EXPECT_EQ(readFile("victim_1.bin"), "victim.bin");
  EXPECT_EQ(readFile("dangling_1.bin"), "dangling.bin");
  EXPECT_EQ(log.errors(), std::vector<std::string>{"Invalid output fileName: [dirlink/f.bin]"});
}

}  // namespace
}  // namespace vyn::testing
