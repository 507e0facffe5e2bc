// Helpers for the report tests: events in one expression, standard output
// captured while a report is written, and a scratch working directory.
#ifndef VYN_TESTS_REPORT_REPORT_TEST_UTIL_H_
#define VYN_TESTS_REPORT_REPORT_TEST_UTIL_H_

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <string>
#include <vector>

#include "log/captured_log.h"
#include "reader/vyn_profile_log_reader.h"
#include "support/temp_dir.h"

namespace vyn::testing {

using profiling::EventValue;
using profiling::ProfileEvent;
namespace ValueDataType = profiling::ValueDataType;

inline EventValue unsignedValue(std::uint64_t number) { return {ValueDataType::UInt64, number}; }
inline EventValue doubleValue(double number) {
  EventValue value{ValueDataType::Float64, 0};
  std::memcpy(&value.payload, &number, sizeof number);
  return value;
}
// text must outlive the event.
inline EventValue textValue(const char* text) {
  return {ValueDataType::String, reinterpret_cast<std::uintptr_t>(text)};
}

inline ProfileEvent event(std::string name, std::uint32_t identifier, EventValue value,
                          std::uint32_t unit, std::vector<ProfileEvent> subEvents = {}) {
  return {identifier, value, {}, std::move(name), {}, unit, 0, 1, std::move(subEvents)};
}

// Everything written to standard output (file descriptor 1) while body runs.
template <typename Body>
std::string captureStandardOutput(Body body) {
  ::testing::internal::CaptureStdout();
  body();
  return ::testing::internal::GetCapturedStdout();
}

// The working directory is root/work, so that a file written outside it still
// shows up below the scratch root. Creation times print in UTC.
class ScratchWork : public ::testing::Test {
 protected:
  ScratchWork() {
    ::setenv("TZ", "UTC", 1);
    ::tzset();
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
