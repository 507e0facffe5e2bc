#include <cstdio>
#include <memory>
#include <new>
#include <sstream>
#include <stdexcept>

#include "format/log_frames.h"
#include "log/logger.h"
#include "reader/vyn_profile_log_reader.h"

namespace vyn::profiling {
namespace {

enum class RecordStatus { Ready, End, Failed };

// Reads the next frame into frame.bytes. Reports every failure itself.
RecordStatus readNextRecord(LogFrameReader& log, Frame& frame) {
  FrameStatus status;
  try {
    status = log.next(frame);
  } catch (const std::length_error& error) {
    VYN_LOG_ERROR("Length error: %s", error.what());
    return RecordStatus::Failed;
  } catch (const std::bad_alloc& error) {
    VYN_LOG_ERROR("Unable to allocate memory: %s", error.what());
    return RecordStatus::Failed;
  }
  switch (status) {
    case FrameStatus::Frame:
      return RecordStatus::Ready;
    case FrameStatus::End:
    case FrameStatus::StrayBytes:
      return RecordStatus::End;
    case FrameStatus::Truncated:
      VYN_LOG_ERROR("Truncated record: %u bytes announced, %llu available", frame.length,
                    static_cast<unsigned long long>(frame.bytes.size()));
      return RecordStatus::Failed;
    case FrameStatus::ReadError:
      // Nothing usable was read: an empty record, which fails verification.
      frame.bytes.clear();
      return RecordStatus::Ready;
  }
  return RecordStatus::Failed;
}

}  // namespace

bool VynProfileLogReader::loadLog(bool writeDataFilesFlag) {
  LogFrameReader log;
  if (!log.open(inputLogPath)) {
    VYN_LOG_ERROR("Invalid or nonexistent file: %s", inputLogPath.c_str());
    return false;
  }

  Frame frame;
  for (;;) {
    const RecordStatus status = readNextRecord(log, frame);
    if (status == RecordStatus::End) break;
    if (status == RecordStatus::Failed) return false;
    // Each record gets a buffer of its own, released before the next is read, so
    // only one record's bytes are held at a time.
    auto record = std::make_shared<std::vector<std::uint8_t>>(std::move(frame.bytes));
    if (!recordCursor.initialize(record)) return false;
    if (!headerCaptured) captureHeader();
    endOfRecord = false;
    while (!endOfRecord) processNextMessage();
  }

  writeDataFiles = writeDataFilesFlag;
  std::ostringstream diagnosticText;
  aggregateStatistics(diagnosticText);
  const std::string text = diagnosticText.str();
  if (!text.empty()) {
    std::fwrite(text.data(), 1, text.size(), stdout);
    std::fflush(stdout);
  }
  return true;
}

}  // namespace vyn::profiling
