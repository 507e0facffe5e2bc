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

// Empty when a reader takes bytes[0, size) as a record; otherwise the reason:
// the format layer's (profiling::findRecordFault), and for a record that does
// not verify, which part of it fails, e.g. "message 3 has no timing".
std::string recordProblem(const std::uint8_t* bytes, std::size_t size);

// The first frame of a log that a reader cannot load, where it is and why.
struct BadRecord {
  std::uint64_t index = 0;
  std::uint64_t offset = 0;
  std::string reason;
  bool notALog = false;  // the reason says the file is not a profiling log at all
};

// For the first frame of a log that does not hold a record: empty when its
// length prefix is plausible (a damaged or cut record of a log), otherwise
// "not a profiling log: ..." with the prefix and the file's size (0: unknown).
// A prefix is implausible when it is too small for a record, too large for the
// verifier, larger than the file by more than a cut-short record could miss
// (64 MiB), or when the bytes after it begin with a root offset outside the
// record: what a text file or any other kind of file gives.
std::string notAProfilingLog(const Frame& frame, std::uint64_t fileSize);

// Where a bad frame is and what is wrong with it, "record 3 at byte offset 96:
// problem"; for a first frame whose length prefix is implausible, what
// notAProfilingLog says instead.
std::string badFrameText(const Frame& frame, FrameStatus status, const std::string& problem,
                         std::uint64_t fileSize);

// Text for a frame that did not come out whole: a truncated frame or a read
// error. Empty for the other statuses.
std::string frameProblem(FrameStatus status, const Frame& frame, const LogFrameReader& reader);

// Scans the log at path with the format layer alone. Nothing when every frame
// verifies (stray bytes at the end are no fault); the first bad frame otherwise,
// its reason saying that the file is not a profiling log when the first frame
// is not even plausible. When the file itself cannot be read, openProblem is set
// and nothing returned.
std::optional<BadRecord> findFirstBadRecord(const std::string& path, std::string& openProblem);

// Why a reader could not load a log, from what findFirstBadRecord found: the
// file cannot be read, or where its first bad record is and what is wrong with it.
std::string loadFailureText(const std::string& openProblem, const std::optional<BadRecord>& bad);
// The same, scanning the log at path.
std::string loadFailureText(const std::string& path);

}  // namespace vyn::tools

#endif  // VYN_TOOLS_COMMON_RECORD_PROBLEM_H_
