// Drives the plug-in the way a host does: load the shared library at run time,
// resolve the two entry points by name, and call the reader through an
// interface the host declares itself. The library's own headers are not used.
#include <dlfcn.h>

#include <gmock/gmock.h>

#include <cstdint>
#include <ostream>
#include <string>
#include <vector>

#include "support/log_builder.h"
#include "support/temp_dir.h"

namespace host {

enum class VisibilityLevel : std::int8_t { Nothing = 0, Default = 1, Everything = 127 };

struct ProfileEvent;  // the host never looks inside an event

// The reader interface: eight virtual operations in this order, the destructor
// second.
template <typename Level>
class IVynProfileLogReader {
 public:
  virtual bool writeReport(const std::string& outputPath) = 0;
  virtual ~IVynProfileLogReader() = default;
  virtual std::string getHeaderReport() = 0;
  virtual bool processNextMessage() = 0;
  virtual bool loadLog(bool writeDataFiles) = 0;
  virtual bool isSupported() = 0;
  virtual void writeEventTree(std::ostream& out, const std::vector<ProfileEvent>& events, std::uint64_t depth) = 0;
  virtual void printEvent(std::ostream& out, const std::vector<ProfileEvent>& events, std::uint64_t messageTimestamp,
                          const std::string& messageLabel, std::uint64_t depth) = 0;
};

using Reader = IVynProfileLogReader<VisibilityLevel>;
using CreateReader = Reader* (*)(const std::string& inputLogPath, VisibilityLevel level);
using DeleteReader = void (*)(Reader* reader);

}  // namespace host

namespace {

using ::testing::EndsWith;
using ::testing::StartsWith;
using vyn::testing::LogBuilder;
using vyn::testing::Message;

// Without a logger the library says nothing, whatever it is given; a failed
// load keeps the header of the records before the failure.
TEST(Host, LoadsTheLogThroughItsOwnDeclarationsAndTheLibraryPrintsNothing) {
  void* library = ::dlopen(VYN_PLUGIN_PATH, RTLD_NOW | RTLD_LOCAL);
  ASSERT_NE(library, nullptr) << ::dlerror();
  const auto createReader = reinterpret_cast<host::CreateReader>(::dlsym(library, "createReader"));
  const auto deleteReader = reinterpret_cast<host::DeleteReader>(::dlsym(library, "deleteReader"));
  ASSERT_NE(createReader, nullptr);
  ASSERT_NE(deleteReader, nullptr);

  vyn::testing::Record withHeader{vyn::testing::Header{{{}, {}, {}, {}, "2.0", "xtu", "tool"}, false}, {}};
  withHeader.with(Message::of(1).named("g").lasting(10));
  const std::pair<LogBuilder, bool> logs[] = {
      // the log, and whether it loads
      {LogBuilder{}.record(withHeader), true},
      {LogBuilder{}.record(withHeader).lengthPrefix(0xFFFFFFFFu).raw(std::vector<std::uint8_t>(96, 7)), false},
  };
  vyn::testing::TempDir dir;
  const std::string path = dir.file("run.bin");
  ::testing::internal::CaptureStdout();
  ::testing::internal::CaptureStderr();
  for (const auto& [log, loads] : logs) {
    log.writeTo(path);
    host::Reader* reader = createReader(path, host::VisibilityLevel::Everything);
    EXPECT_TRUE(reader->isSupported());
    EXPECT_EQ(reader->getHeaderReport(), "");
    EXPECT_EQ(reader->loadLog(false), loads) << log.bytes().size();
    EXPECT_THAT(reader->getHeaderReport(), StartsWith("Input Log File Location: " + path + "\n"));
    EXPECT_THAT(reader->getHeaderReport(), EndsWith("tool: 2.0\nBackend: xtu\n"));
    deleteReader(reader);
  }
  deleteReader(nullptr);
  EXPECT_EQ(::testing::internal::GetCapturedStderr(), "");
  EXPECT_EQ(::testing::internal::GetCapturedStdout(), "");
  ::dlclose(library);
}

}  // namespace
