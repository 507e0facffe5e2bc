// Why a record fails verification, in words a person can act on.
#ifndef VYN_TOOLS_COMMON_RECORD_PROBLEM_H_
#define VYN_TOOLS_COMMON_RECORD_PROBLEM_H_

#include <cstdint>
#include <optional>
#include <string>

#include "format/log_frames.h"

namespace vyn::tools {

using profiling::Frame;
using profiling::FrameStatus;
using profiling::LogFrameReader;

// Empty when bytes[0, size) verify as a record with the reader's verifier
// options; otherwise the reason, e.g. "message 3 has no timing".
std::string recordProblem(const std::uint8_t* bytes, std::size_t size);

// The first frame of a log that a reader cannot load, where it is and why.
struct BadRecord {
  std::uint64_t index = 0;
  std::uint64_t offset = 0;
  std::string reason;
};

// Text for a frame that did not come out whole: a truncated frame or a read
// error. Empty for the other statuses.
std::string frameProblem(FrameStatus status, const Frame& frame, const LogFrameReader& reader);

// Scans the log at path with the format layer alone. Nothing when every frame
// verifies (stray bytes at the end are no fault); the first bad frame otherwise.
// When the file itself cannot be read, openProblem is set and nothing returned.
std::optional<BadRecord> findFirstBadRecord(const std::string& path, std::string& openProblem);

// Why a reader could not load the log at path, found with the format layer alone:
// the file cannot be read, or where its first bad record is and what is wrong with it.
std::string loadFailureText(const std::string& path);

}  // namespace vyn::tools

#endif  // VYN_TOOLS_COMMON_RECORD_PROBLEM_H_
