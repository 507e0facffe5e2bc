#include "format/log_scanner.h"

#include <new>
#include <stdexcept>
#include <utility>

#include "format/record_format.h"

namespace vyn::profiling {
namespace {

// How many more bytes than a file holds a log's first record may announce and
// still be taken for a log cut short.
constexpr std::uint64_t kLargestShortfall = 64ull << 20;

LogFaultKind faultKind(RecordFaultKind kind) {
  switch (kind) {
    case RecordFaultKind::TooLarge:
      return LogFaultKind::TooLarge;
    case RecordFaultKind::CopiesTooMuch:
      return LogFaultKind::CopiesTooMuch;
    case RecordFaultKind::Malformed:
      break;
  }
  return LogFaultKind::Malformed;
}

}  // namespace

bool LogScanner::open(const std::string& path) {
  if (frames_.open(path)) return true;
  finished_ = true;
  fault_ = LogFault{LogFaultKind::Unopened, 0, 0, std::nullopt, frames_.problem(), {}};
  return false;
}

bool LogScanner::openAt(const std::string& path, std::uint64_t offset, std::uint64_t firstIndex) {
  if (frames_.openAt(path, offset, firstIndex)) return true;
  finished_ = true;
  fault_ = LogFault{LogFaultKind::Unopened, firstIndex, offset, std::nullopt, frames_.problem(), {}};
  return false;
}

LogScanner::Step LogScanner::next() {
  if (finished_) return Step::End;
  FrameStatus status;
  try {
    status = frames_.next(frame_);
  } catch (const std::length_error& error) {
    finished_ = true;
    return fail(LogFaultKind::OutOfMemory, std::string("length error: ") + error.what());
  } catch (const std::bad_alloc& error) {
    finished_ = true;
    return fail(LogFaultKind::OutOfMemory, std::string("unable to allocate memory: ") + error.what());
  }
  switch (status) {
    case FrameStatus::Frame:
      if (verifyRecord(frame_.bytes.data(), frame_.bytes.size())) return Step::Record;
      break;
    case FrameStatus::StrayBytes:
      strayBytes_ = frame_.bytes.size();
      finished_ = true;
      return Step::End;
    case FrameStatus::End:
      finished_ = true;
      return Step::End;
    case FrameStatus::Truncated:
      finished_ = true;
      return fail(LogFaultKind::Truncated, "truncated record: the length prefix announces " +
                                               std::to_string(frame_.length) + " bytes, only " +
                                               std::to_string(frame_.bytes.size()) + " remain");
    case FrameStatus::ReadError:
      finished_ = true;
      return fail(LogFaultKind::ReadError, frames_.problem());
  }
  RecordFault refused = *findRecordFault(frame_.bytes.data(), frame_.bytes.size());
  Step step = fail(faultKind(refused.kind), std::move(refused.words));
  fault_.message = refused.message;
  return step;
}

bool LogScanner::restartAt(std::uint64_t offset) {
  strayBytes_ = 0;
  if (frames_.seek(offset)) {
    finished_ = false;
    return true;
  }
  finished_ = true;
  fail(LogFaultKind::ReadError, frames_.problem());
  fault_.offset = offset;
  return false;
}

LogScanner::Step LogScanner::fail(LogFaultKind kind, std::string words) {
  fault_ = LogFault{kind, frame_.index, frame_.offset, std::nullopt, std::move(words), {}};
  // Whether a file is a log at all is told by its first frame, as far as it was read.
  if (frame_.index == 0 && kind != LogFaultKind::ReadError && kind != LogFaultKind::OutOfMemory) {
    fault_.notALog = notAProfilingLog(frame_, frames_.fileSize());
  }
  return Step::Fault;
}

std::string notAProfilingLog(const Frame& frame, std::uint64_t fileSize) {
  bool plausible = frame.length >= kSmallestRecordSize && frame.length < kMaxRecordSize;
  // A record cut before its root offset cannot be judged by it.
  if (plausible && frame.bytes.size() >= sizeof(flatbuffers::uoffset_t)) {
    plausible = plausibleRecordStart(frame.length, flatbuffers::ReadScalar<flatbuffers::uoffset_t>(frame.bytes.data()));
  }
  // A log cut short by a crashed run misses the end of a record, not hundreds of
  // megabytes: the first four bytes of a text file (JSON, CSV) read as a length
  // of that order.
  if (plausible && fileSize != 0 && frame.length > fileSize + kLargestShortfall) plausible = false;
  if (plausible) return {};
  std::string text = "not a profiling log: the first record does not verify and its length prefix, " +
                     std::to_string(frame.length) + " bytes, is implausible";
  if (fileSize != 0) text += " for a file of " + std::to_string(fileSize) + " bytes";
  return text;
}

bool plausibleRecordStart(std::uint32_t length, std::uint32_t rootOffset) {
  return length >= kSmallestRecordSize && length < kMaxRecordSize && rootOffset >= sizeof(flatbuffers::uoffset_t) &&
         rootOffset <= length - sizeof(flatbuffers::soffset_t);
}

}  // namespace vyn::profiling
