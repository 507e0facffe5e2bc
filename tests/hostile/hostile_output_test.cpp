// What the reports write on behalf of a log: data files named by the log, and the
// CSV file named by the caller. A log must not make the reader write outside the
// working directory, write through a link, or overwrite a file; a CSV path that
// cannot be a file fails the report before anything is written.
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <set>
#include <string>
#include <vector>

#include "hostile/hostile_support.h"
#include "reader/vyn_profile_log_reader_xtu.h"
#include "support/log_builder.h"

namespace vyn::testing {
namespace {

namespace fs = std::filesystem;
using profiling::VisibilityLevel;
using profiling::VynProfileLogReader;
using profiling::VynProfileLogReaderXtu;
using ::testing::ElementsAre;
using ::testing::IsEmpty;

constexpr int kExecute = 1;
constexpr int kApplyBinarySection = 11;
constexpr std::uint32_t kObject = 5;
const std::string kPayload("\x01\x00\x02", 3);

// An object-valued event whose bytes the reports save under `fileName`.
Event dataEvent(const std::string& fileName) {
  return Event::named("data", 9).data({0x01, 0x00, 0x02}).withUnit(kObject).withDetail(fileName);
}

// A binary-section call whose measured event carries object events with these
// names; the back-end report saves them through the call's event tree.
Message sectionWith(const std::vector<std::string>& fileNames) {
  Event holder = Event::named("holder", 8).u64(1);
  for (const std::string& name : fileNames) holder.sub(dataEvent(name));
  return Message::of(kApplyBinarySection).named("g").at(1).lasting(100).event(holder);
}

// An execution with the object events at its top level; the generic report
// saves them while it walks the executions.
Message executionWith(const std::vector<std::string>& fileNames) {
  Message message = Message::of(kExecute).named("g").at(1).lasting(100);
  for (const std::string& name : fileNames) message.event(dataEvent(name));
  return message;
}

std::set<std::string> asSet(const std::vector<std::string>& texts) {
  return {texts.begin(), texts.end()};
}

std::string refusal(const std::string& name) { return "Invalid output fileName: [" + name + "]"; }

class HostileOutput : public ::testing::Test {
 protected:
  // Loads the log with data files on and runs the report with no CSV file; the
  // summary is captured and dropped.
  template <typename Reader = VynProfileLogReaderXtu>
  void loadAndReport(const LogBuilder& log, bool writeDataFiles = true) {
    log.writeTo(scene.logPath());
    Reader reader(scene.logPath(), VisibilityLevel::All);
    ASSERT_TRUE(reader.loadLog(writeDataFiles));
    CapturedStdout quiet;
    EXPECT_TRUE(reader.writeReport(""));
  }

  // Every entry of the working directory apart from `expected` holds the event's
  // bytes and carries one of the expected names' numbered forms.
  void expectOnlyPayloadFilesBesides(const std::set<std::string>& kept) {
    for (const std::string& name : scene.workEntries()) {
      if (kept.count(name) != 0) continue;
      SCOPED_TRACE(name);
      EXPECT_TRUE(isRegularFile(scene.work(name)));
      EXPECT_EQ(readFile(scene.work(name)), kPayload);
    }
  }

  HostileScene scene;
  CapturedDiagnostics diagnostics;
};

TEST_F(HostileOutput, DataFileNamesThatLeaveTheWorkingDirectoryAreRefused) {
  const auto before = scene.outsideSnapshot();
  const std::vector<std::string> names = {
      scene.outside("absolute.bin"),
      "../escape.bin",
      "inner/../../escape.bin",
      "..",
      "inner/..",
      "./../escape.bin",
  };
  loadAndReport(LogBuilder().messages({sectionWith(names)}));

  std::set<std::string> expected;
  for (const std::string& name : names) expected.insert(refusal(name));
  EXPECT_EQ(asSet(diagnostics.errors()), expected);
  EXPECT_THAT(scene.workEntries(), IsEmpty());
  EXPECT_EQ(scene.outsideSnapshot(), before);
}

TEST_F(HostileOutput, DotsInsideANameAreNotAParentDirectory) {
  loadAndReport(LogBuilder().messages({sectionWith({"notes..bin", "..hidden"})}));
  EXPECT_THAT(diagnostics.errors(), IsEmpty());
  EXPECT_EQ(readFile(scene.work("notes..bin")), kPayload);
  EXPECT_EQ(readFile(scene.work("..hidden")), kPayload);
  expectOnlyPayloadFilesBesides({});
}

TEST_F(HostileOutput, ExistingFilesAndDirectoriesAreNeverOverwritten) {
  writeFile(scene.work("taken.bin"), "precious");
  fs::create_directory(scene.work("folder.bin"));
  loadAndReport(LogBuilder().messages({sectionWith({"taken.bin", "folder.bin"})}));

  EXPECT_THAT(diagnostics.errors(), IsEmpty());
  EXPECT_EQ(readFile(scene.work("taken.bin")), "precious");
  EXPECT_TRUE(fs::is_empty(scene.work("folder.bin")));
  EXPECT_EQ(readFile(scene.work("taken_1.bin")), kPayload);
  EXPECT_EQ(readFile(scene.work("folder_1.bin")), kPayload);
  expectOnlyPayloadFilesBesides({"taken.bin", "folder.bin"});
}

TEST_F(HostileOutput, SymbolicLinksAreNeverWrittenThrough) {
  writeFile(scene.outside("target.bin"), "outside");
  fs::create_symlink(scene.outside("target.bin"), scene.work("link.bin"));
  fs::create_symlink(scene.outside("planted.bin"), scene.work("dangling.bin"));
  fs::create_symlink(scene.outside(""), scene.work("folder-link"));
  const auto before = scene.outsideSnapshot();

  loadAndReport(LogBuilder().messages(
      {sectionWith({"link.bin", "dangling.bin", "folder-link", "folder-link/inside.bin"})}));

  // A link to a directory is not a way out either: the name cannot be created.
  EXPECT_THAT(diagnostics.errors(), ElementsAre(refusal("folder-link/inside.bin")));
  EXPECT_EQ(scene.outsideSnapshot(), before);
  EXPECT_FALSE(fileExists(scene.outside("planted.bin")));
  EXPECT_TRUE(isSymbolicLink(scene.work("link.bin")));
  EXPECT_TRUE(isSymbolicLink(scene.work("dangling.bin")));
  EXPECT_EQ(readFile(scene.work("link_1.bin")), kPayload);
  EXPECT_EQ(readFile(scene.work("dangling_1.bin")), kPayload);
  EXPECT_EQ(readFile(scene.work("folder-link_1")), kPayload);
  expectOnlyPayloadFilesBesides({"link.bin", "dangling.bin", "folder-link"});
}

TEST_F(HostileOutput, DataFileNameEndsAtAnEmbeddedNulByte) {
  const auto before = scene.outsideSnapshot();
  loadAndReport(
      LogBuilder().messages({sectionWith({std::string("safe.bin\0/../../escape.bin", 26)})}));
  EXPECT_THAT(diagnostics.errors(), IsEmpty());
  EXPECT_EQ(readFile(scene.work("safe.bin")), kPayload);
  expectOnlyPayloadFilesBesides({});
  EXPECT_EQ(scene.outsideSnapshot(), before);
}

TEST_F(HostileOutput, GenericReportRefusesTheSameNamesAndTakesNoExistingFile) {
  writeFile(scene.work("taken.bin"), "precious");
  const auto before = scene.outsideSnapshot();
  const std::string absolute = scene.outside("absolute.bin");
  loadAndReport<VynProfileLogReader>(
      LogBuilder().messages({executionWith({absolute, "../escape.bin", "taken.bin"})}));
  EXPECT_EQ(asSet(diagnostics.errors()),
            (std::set<std::string>{refusal(absolute), refusal("../escape.bin")}));
  EXPECT_EQ(scene.outsideSnapshot(), before);
  EXPECT_EQ(readFile(scene.work("taken.bin")), "precious");
  EXPECT_EQ(readFile(scene.work("taken_1.bin")), kPayload);
  expectOnlyPayloadFilesBesides({"taken.bin"});
}

TEST_F(HostileOutput, NoDataFilesAndNoRefusalsWhenDataFilesAreOff) {
  loadAndReport(LogBuilder().messages({sectionWith({"../escape.bin", "plain.bin"})}), false);
  EXPECT_THAT(diagnostics.errors(), IsEmpty());
  EXPECT_THAT(scene.workEntries(), IsEmpty());
}

// A CSV path that cannot be opened as a file fails the report: the reader says
// which path, writes nothing to standard output and no data file, and keeps
// what it loaded.
class HostileCsvPath : public HostileOutput {
 protected:
  template <typename Reader>
  void expectRefused(const std::string& csvPath, const std::string& message) {
    SCOPED_TRACE(csvPath);
    diagnostics.clear();
    LogBuilder().messages({sectionWith({"data.bin"})}).writeTo(scene.logPath());
    Reader reader(scene.logPath(), VisibilityLevel::All);
    ASSERT_TRUE(reader.loadLog(true));

    CapturedStdout output;
    EXPECT_FALSE(reader.writeReport(csvPath));
    EXPECT_EQ(output.stop(), "");
    EXPECT_THAT(diagnostics.errors(), ElementsAre(message));
    EXPECT_FALSE(fileExists(scene.work("data.bin")));
    ASSERT_EQ(reader.applySectionSeries.size(), 1u);
    EXPECT_EQ(reader.applySectionSeries[0].stats.size(), 1u);
  }
};

TEST_F(HostileCsvPath, DirectoryIsNotAnOutputFile) {
  fs::create_directory(scene.work("reports"));
  const std::string path = scene.work("reports");
  expectRefused<VynProfileLogReaderXtu>(path, "Invalid output csvfile: [" + path + "]");
  expectRefused<VynProfileLogReader>(path, "Invalid output file: [" + path + "]");
  EXPECT_TRUE(fs::is_empty(path));
  EXPECT_THAT(scene.workEntries(), ElementsAre("reports"));
}

TEST_F(HostileCsvPath, MissingDirectoryIsNotCreated) {
  const std::string path = scene.work("missing/report.csv");
  expectRefused<VynProfileLogReaderXtu>(path, "Invalid output csvfile: [" + path + "]");
  expectRefused<VynProfileLogReader>(path, "Invalid output file: [" + path + "]");
  EXPECT_THAT(scene.workEntries(), IsEmpty());
}

}  // namespace
}  // namespace vyn::testing
