// Drives the plug-in the way a host does: load the shared library at run time,
// resolve the two entry points by name, and call the reader through an
// interface the host declares itself. The library's own headers are not used.
#include <dlfcn.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <ctime>
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
  virtual void writeEventTree(std::ostream& out, const std::vector<ProfileEvent>& events,
                              std::uint64_t depth) = 0;
  virtual void printEvent(std::ostream& out, const std::vector<ProfileEvent>& events,
                          std::uint64_t messageTimestamp, const std::string& messageLabel,
                          std::uint64_t depth) = 0;
};

using Reader = IVynProfileLogReader<VisibilityLevel>;
using CreateReader = Reader* (*)(const std::string& inputLogPath, VisibilityLevel level);
using DeleteReader = void (*)(Reader* reader);

}  // namespace host

namespace {

using vyn::testing::Header;
using vyn::testing::LogBuilder;
using vyn::testing::Message;
using vyn::testing::Record;

class HostTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    ::setenv("TZ", "UTC", 1);
    ::tzset();
  }

  void SetUp() override {
    library_ = ::dlopen(VYN_PLUGIN_PATH, RTLD_NOW | RTLD_LOCAL);
    ASSERT_NE(library_, nullptr) << ::dlerror();
    createReader_ = reinterpret_cast<host::CreateReader>(::dlsym(library_, "createReader"));
    deleteReader_ = reinterpret_cast<host::DeleteReader>(::dlsym(library_, "deleteReader"));
    ASSERT_NE(createReader_, nullptr);
    ASSERT_NE(deleteReader_, nullptr);
  }
  void TearDown() override {
    if (library_ != nullptr) ::dlclose(library_);
  }

  std::string write(const LogBuilder& log, const std::string& name) {
    log.writeTo(dir_.file(name));
    return dir_.file(name);
  }

  void* library_ = nullptr;
  host::CreateReader createReader_ = nullptr;
  host::DeleteReader deleteReader_ = nullptr;
  vyn::testing::TempDir dir_;
};

Record headerRecord() {
  Record record;
  record.header = Header{};
  record.header->timeScale = 1.0f;
  record.header->epochTimestamp = 0;
  record.header->generatorName = "tool";
  record.header->generatorVersion = "2.0";
  record.header->backendVersion = "xtu";
  return record;
}

TEST_F(HostTest, CreateLoadReportAndDelete) {
  const std::string path =
      write(LogBuilder{}.record(headerRecord().with(Message::of(1).named("g").lasting(1500))), "run.bin");

  host::Reader* reader = createReader_(path, host::VisibilityLevel::Default);
  ASSERT_NE(reader, nullptr);
  EXPECT_TRUE(reader->isSupported());
  EXPECT_EQ(reader->getHeaderReport(), "");
  ASSERT_TRUE(reader->loadLog(false));
  const std::string expected = "Input Log File Location: " + path +
                               "\n"
                               "Log File Created: Thu Jan  1 00:00:00 1970\n"
                               "Time Scale: 1\n"
                               "Epoch Timestamp: 0 Steady Clock Timestamp: 0\n"
                               "Generated using: \n"
                               "vyn-profile-viewer: v2.51.0.260929181845\n"
                               "tool: 2.0\n"
                               "Backend: xtu\n";
  EXPECT_EQ(reader->getHeaderReport(), expected);
  // Loading again reads the file again; the header stays the first one.
  EXPECT_TRUE(reader->loadLog(true));
  EXPECT_EQ(reader->getHeaderReport(), expected);
  deleteReader_(nullptr);
  deleteReader_(reader);
}

// Without a logger the library says nothing, whatever it is given; a failed
// load keeps the header of the records before the failure.
TEST_F(HostTest, LoadingCasesAreReportedOnlyByTheResult) {
  using Bytes = std::vector<std::uint8_t>;
  const Bytes valid = vyn::testing::buildRecord(
      headerRecord().with(Message::of(1).named("g").lasting(10)));
  struct Case {
    const char* name;
    LogBuilder log;
    bool loads;
  };
  const Case cases[] = {
      {"stray", LogBuilder{}.frame(valid).raw({0, 0, 0}), true},
      {"zero-length", LogBuilder{}.frame(valid).lengthPrefix(0).frame(valid), false},
      {"huge-prefix", LogBuilder{}.frame(valid).lengthPrefix(0xFFFFFFFFu).raw(Bytes(96, 7)), false},
      {"unknown-type", LogBuilder{}.messages({Message::of(42)}).frame(valid), true},
  };
  ::testing::internal::CaptureStdout();
  ::testing::internal::CaptureStderr();
  for (const Case& c : cases) {
    host::Reader* reader = createReader_(write(c.log, c.name), host::VisibilityLevel::Everything);
    EXPECT_EQ(reader->loadLog(false), c.loads) << c.name;
    EXPECT_NE(reader->getHeaderReport().find("tool: 2.0\nBackend: xtu\n"), std::string::npos) << c.name;
    deleteReader_(reader);
  }
  host::Reader* missing = createReader_(dir_.file("absent.bin"), host::VisibilityLevel::Everything);
  EXPECT_TRUE(missing->isSupported());
  EXPECT_FALSE(missing->loadLog(false));
  EXPECT_EQ(missing->getHeaderReport(), "");
  deleteReader_(missing);
  EXPECT_EQ(::testing::internal::GetCapturedStderr(), "");
  EXPECT_EQ(::testing::internal::GetCapturedStdout(), "");
}

}  // namespace
