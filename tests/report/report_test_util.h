// Helpers for the report tests: composed logs loaded through a reader, report
// pieces written to a string, standard output captured while a report is
// written, and a scratch working directory.
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

#include "plugin/vyn_profile_log_reader.h"
#include "report/report_input.h"
#include "report/text_buffer.h"
#include "support/log_builder.h"
#include "support/temp_dir.h"

namespace vyn::testing {

namespace Unit = profiling::EventUnit;

// Everything written to standard output (file descriptor 1) while body runs.
template <typename Body>
std::string captureStandardOutput(Body body) {
  ::testing::internal::CaptureStdout();
  body();
  return ::testing::internal::GetCapturedStdout();
}

// What write(TextBuffer&) appends.
template <typename Write>
std::string written(Write write) {
  std::ostringstream out;
  {
    profiling::TextBuffer text(out);
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

  // Writes the log where the reader reads it and loads it; the queue-wait
  // notices of the load are not part of any report.
  static void load(profiling::VynProfileLogReader& reader, const std::string& path, const LogBuilder& log,
                   bool writeDataFiles = false) {
    log.writeTo(path);
    bool loaded = false;
    captureStandardOutput([&] { loaded = reader.loadLog(writeDataFiles); });
    ASSERT_TRUE(loaded);
  }

  // What the report sections read, for a reader that has loaded its log.
  static profiling::ReportInput input(profiling::VynProfileLogReader& reader, const std::string& path) {
    return {reader.model(), reader.statistics(), path, nullptr};
  }

  // writeReport(csvPath) with what it printed; the result must be expectedResult.
  static std::string report(profiling::VynProfileLogReader& reader, const std::string& csvPath,
                            bool expectedResult = true) {
    bool result = !expectedResult;
    std::string printed = captureStandardOutput([&] { result = reader.writeReport(csvPath); });
    EXPECT_EQ(result, expectedResult);
    return printed;
  }

  // golden/<name> of the test's folder.
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
  ScopedWorkingDirectory cwd{madeDirectory(root.file("work"))};

 private:
  static std::string madeDirectory(const std::string& path) {
    std::filesystem::create_directory(path);
    return path;
  }
};

}  // namespace vyn::testing

#endif  // VYN_TESTS_REPORT_REPORT_TEST_UTIL_H_
