// Captures what a report writes to standard output and to the diagnostic logger.
#ifndef VYN_TESTS_REPORT_GENERIC_OUTPUT_CAPTURE_H_
#define VYN_TESTS_REPORT_GENERIC_OUTPUT_CAPTURE_H_

#include <string>
#include <vector>

namespace vyn::testing {

// Redirects file descriptor 1 into a scratch file while the object lives, so
// that output written with stdio or straight to the descriptor is caught.
class StdoutCapture {
 public:
  StdoutCapture();
  ~StdoutCapture();
  StdoutCapture(const StdoutCapture&) = delete;
  StdoutCapture& operator=(const StdoutCapture&) = delete;

  // Restores standard output and returns everything written since construction.
  std::string finish();

 private:
  int savedDescriptor_ = -1;
  int captureDescriptor_ = -1;
};

// Installs a logger at ERROR level whose messages, expanded, are collected;
// removes it when destroyed.
class ErrorLogCapture {
 public:
  ErrorLogCapture();
  ~ErrorLogCapture();
  ErrorLogCapture(const ErrorLogCapture&) = delete;
  ErrorLogCapture& operator=(const ErrorLogCapture&) = delete;

  const std::vector<std::string>& messages() const;
};

}  // namespace vyn::testing

#endif  // VYN_TESTS_REPORT_GENERIC_OUTPUT_CAPTURE_H_
