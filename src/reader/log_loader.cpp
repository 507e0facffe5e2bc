#include <cstdio>
#include <memory>
#include <new>
#include <sstream>
#include <stdexcept>

#include "log/logger.h"
#include "reader/log_file.h"
#include "reader/vyn_profile_log_reader.h"

namespace vyn::profiling {
namespace {

enum class RecordStatus { Ready, End, Failed };

// Reads the next frame into record. Reports every failure itself.
RecordStatus readNextRecord(LogFile& file, std::vector<std::uint8_t>& record) {
  std::uint32_t length = 0;
  switch (file.readLengthPrefix(length)) {
    case LogFile::PrefixResult::EndOfFile:
      return RecordStatus::End;
    case LogFile::PrefixResult::ReadError:
      length = 0;  // an unreadable prefix makes an empty record, which fails verification
      record.clear();
      return RecordStatus::Ready;
    case LogFile::PrefixResult::Read:
      break;
  }
  std::uint64_t available = 0;
  try {
    if (file.readRecord(length, record, available)) return RecordStatus::Ready;
  } catch (const std::length_error& error) {
    VYN_LOG_ERROR("Length error: %s", error.what());
    return RecordStatus::Failed;
  } catch (const std::bad_alloc& error) {
    VYN_LOG_ERROR("Unable to allocate memory: %s", error.what());
    return RecordStatus::Failed;
  }
  VYN_LOG_ERROR("Truncated record: %u bytes announced, %llu available", length,
                static_cast<unsigned long long>(available));
  return RecordStatus::Failed;
}

}  // namespace

bool VynProfileLogReader::loadLog(bool writeDataFilesFlag) {
  LogFile file;
  if (!file.open(inputLogPath)) {
    VYN_LOG_ERROR("Invalid or nonexistent file: %s", inputLogPath.c_str());
    return false;
  }

  for (;;) {
    // A fresh buffer per record: the previous one is released before the next
    // is read, so only one record's bytes are held at a time.
    auto record = std::make_shared<std::vector<std::uint8_t>>();
    const RecordStatus status = readNextRecord(file, *record);
    if (status == RecordStatus::End) break;
    if (status == RecordStatus::Failed) return false;
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
