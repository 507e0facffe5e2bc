// Data files of object-valued events: numbered names, and names from the log
// that must not write outside the working directory, through a link or over a file.
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <sstream>

#include "reader/vyn_profile_log_reader_xtu.h"
#include "report_test_util.h"
#include "support/temp_dir.h"

namespace vyn::testing {
namespace {

using namespace vyn::profiling;
namespace fs = std::filesystem;

class EventDataFile : public ::testing::Test {
 protected:
  EventDataFile() : work_(makeWorkDirectory()), cwd_(work_) {}

  // Writes the event's data under name with the given bytes.
  void save(const std::string& name, const std::string& bytes) {
    ProfileEvent object = event("data", 1, {}, EventUnit::Object);
    object.detailText = name;
    object.bytes.assign(bytes.begin(), bytes.end());
    reader.writeEventDataFile(object);
  }

  // Every entry below the scratch root, as paths relative to it.
  std::vector<std::string> entriesBelowRoot() const {
    std::vector<std::string> entries;
    for (const auto& entry : fs::recursive_directory_iterator(root_.path())) {
      entries.push_back(fs::relative(entry.path(), root_.path()).string());
    }
    std::sort(entries.begin(), entries.end());
    return entries;
  }

  std::string outside(const std::string& name) const { return root_.file(name); }

  TempDir root_;
  VynProfileLogReaderXtu reader{"unused.log", VisibilityLevel::Basic};
  CapturedLog log;

 private:
  std::string makeWorkDirectory() {
    fs::create_directory(root_.file("work"));
    return root_.file("work");
  }
  std::string work_;
  ScopedWorkingDirectory cwd_;
};

TEST_F(EventDataFile, TakenNamesMoveOnToNumberedCandidates) {
  writeFile("out.bin", "old");
  writeFile("trace", "old");
  fs::create_directories("a.b");
  writeFile("a.b/c", "old");
  fs::create_directories("dir");
  writeFile("dir/x.tar.gz", "old");
  fs::create_directory("d.bin");

  save("out.bin", std::string("n\0w", 3));
  save("out.bin", "second");
  save("trace", "t");
  save("a.b/c", "c");
  save("dir/x.tar.gz", "z");
  save("d.bin", "d");
  save("fresh.bin", "f");

  EXPECT_EQ(readFile("out.bin"), "old");
  EXPECT_EQ(readFile("out_1.bin"), std::string("n\0w", 3));
  EXPECT_EQ(readFile("out_2.bin"), "second");
  EXPECT_EQ(readFile("trace_1"), "t");
  EXPECT_EQ(readFile("a.b/c_1"), "c");
  EXPECT_EQ(readFile("dir/x.tar_1.gz"), "z");
  EXPECT_EQ(readFile("d_1.bin"), "d");
  EXPECT_EQ(readFile("fresh.bin"), "f");
  EXPECT_TRUE(log.errors().empty());
}

TEST_F(EventDataFile, NamesLeavingTheWorkingDirectoryAreRefused) {
  const std::string absolute = outside("absolute.bin");
  for (const std::string& name :
       {absolute, std::string("../escape.bin"), std::string("sub/../../escape.bin"),
        std::string("x/.."), std::string("missing/f.bin"), std::string("ends/")}) {
    save(name, "x");
  }
  save("", "x");  // no name: nothing to write and nothing to report

  EXPECT_EQ(entriesBelowRoot(), std::vector<std::string>{"work"});
  EXPECT_EQ(log.errors(), (std::vector<std::string>{
                              "Invalid output fileName: [" + absolute + "]",
                              "Invalid output fileName: [../escape.bin]",
                              "Invalid output fileName: [sub/../../escape.bin]",
                              "Invalid output fileName: [x/..]",
                              "Invalid output fileName: [missing/f.bin]",
                              "Invalid output fileName: [ends/]",
                          }));
}

TEST_F(EventDataFile, SymbolicLinksAreNeverFollowed) {
  writeFile(outside("victim"), "keep");
  fs::create_directory(outside("elsewhere"));
  fs::create_symlink(outside("victim"), "victim.bin");
  fs::create_symlink(outside("target.bin"), "dangling.bin");
  fs::create_directory_symlink(outside("elsewhere"), "dirlink");

  save("victim.bin", "v");
  save("dangling.bin", "g");
  save("dirlink/f.bin", "f");

  EXPECT_EQ(readFile(outside("victim")), "keep");
  EXPECT_FALSE(fileExists(outside("target.bin")));
  EXPECT_TRUE(fs::is_empty(outside("elsewhere")));
  EXPECT_EQ(readFile("victim_1.bin"), "v");
  EXPECT_EQ(readFile("dangling_1.bin"), "g");
  EXPECT_EQ(log.errors(),
            std::vector<std::string>{"Invalid output fileName: [dirlink/f.bin]"});
}

TEST_F(EventDataFile, EventTreeSavesObjectsOnlyWhenAsked) {
  ProfileEvent object = event("blob", 1, {}, EventUnit::Object,
                              {event("child", 2, unsignedValue(1), EventUnit::Count)});
  object.detailText = "tree.bin";
  object.bytes = {1, 2};

  std::ostringstream out;
  reader.writeEventTree(out, {object}, 1);
  EXPECT_FALSE(fileExists("tree.bin"));

  reader.writeDataFiles = true;
  reader.writeEventTree(out, {object}, 1);
  EXPECT_EQ(readFile("tree.bin"), std::string("\x01\x02", 2));
  EXPECT_EQ(out.str(), "        child: 1 count\n        child: 1 count\n");
}

}  // namespace
}  // namespace vyn::testing
