// Helpers for the report tests: composed logs loaded through a reader, report
// pieces written to a string, standard output captured, a scratch working directory.
#ifndef VYN_TESTS_REPORT_REPORT_TEST_UTIL_H_
#define VYN_TESTS_REPORT_REPORT_TEST_UTIL_H_

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "base/text_buffer.h"
#include "plugin/vyn_profile_log_reader.h"
#include "support/log_builder.h"
#include "support/temp_dir.h"

namespace vyn::testing {

namespace Unit = profiling::EventUnit;

enum Method {
  kExecute = 1,
  kFinalize,
  kExecuteRoundTrip,
  kInitEvents,
  kDeInit,
  kInit,
  kComposeGraph,
  kExecuteOverall,
  kDynamicLibLoad = 10,
  kApplyBinarySection,
  kApplyBinarySection2,
  kContextGetBinarySize,
  kContextGetBinary,
  kContextGetBinarySectionSize,
  kFinalizeAfterTensorUpdates,
  kUpdateBinarySection
};

inline Event measured(std::string name, std::uint32_t identifier, std::uint64_t value,
                      std::uint32_t unit = Unit::Microseconds) {
  return Event::named(std::move(name), identifier).u64(value).withUnit(unit);
}

template <typename Body>
std::string captureStandardOutput(Body body) {
  ::testing::internal::CaptureStdout();
  body();
  return ::testing::internal::GetCapturedStdout();
}

// What write(base::TextBuffer&) appends.
template <typename Write>
std::string written(Write write) {
  std::ostringstream out;
  {
    base::TextBuffer text(out);
    write(text);
  }
  return out.str();
}

// The working directory is root/work, so that a file written outside it still
// shows up below the scratch root. Creation times print in UTC.
class ScratchWork : public ::testing::Test {
 protected:
  ScratchWork() {
    ::setenv("TZ", "UTC", 1);
    ::tzset();
  }

  // Writes the log to path and loads it; the queue-wait notices of the load are
  // part of no report.
  static void load(profiling::VynProfileLogReader& reader, const std::string& path, const LogBuilder& log,
                   bool writeDataFiles = false) {
    log.writeTo(path);
    bool loaded = false;
    captureStandardOutput([&] { loaded = reader.loadLog(writeDataFiles); });
    ASSERT_TRUE(loaded);
  }
  // writeReport(csvPath) with what it printed; the result must be expectedResult.
  static std::string report(profiling::VynProfileLogReader& reader, const std::string& csvPath,
                            bool expectedResult = true) {
    bool result = !expectedResult;
    std::string printed = captureStandardOutput([&] { result = reader.writeReport(csvPath); });
    EXPECT_EQ(result, expectedResult);
    return printed;
  }
  static std::string golden(const std::string& name) {
    return readFile(std::string(VYN_TESTS_DIR) + "/golden/" + name);
  }
  // Every entry below the scratch root, relative to it, sorted.
  std::vector<std::string> entriesBelowRoot() const {
    std::vector<std::string> entries;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(root.path()))
      entries.push_back(std::filesystem::relative(entry.path(), root.path()).string());
    std::sort(entries.begin(), entries.end());
    return entries;
  }

  TempDir root;
  const bool workMade = std::filesystem::create_directory(root.file("work"));
  ScopedWorkingDirectory cwd{root.file("work")};
};

}  // namespace vyn::testing

#endif  // VYN_TESTS_REPORT_REPORT_TEST_UTIL_H_
