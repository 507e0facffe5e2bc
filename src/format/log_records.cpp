#include "format/log_records.h"

#include <new>
#include <stdexcept>
#include <utility>

#include "log/logger.h"

namespace vyn::profiling {

bool LogRecords::open(const std::string& path) {
  if (frames_.open(path)) return true;
  VYN_LOG_ERROR("Invalid or nonexistent file: %s", path.c_str());
  return false;
}

LogRecords::Next LogRecords::next(ByteBuffer& record) {
  frame_.bytes = std::move(record);
  FrameStatus status;
  try {
    status = frames_.next(frame_);
  } catch (const std::length_error& error) {
    VYN_LOG_ERROR("Length error: %s", error.what());
    return Next::Failed;
  } catch (const std::bad_alloc& error) {
    VYN_LOG_ERROR("Unable to allocate memory: %s", error.what());
    return Next::Failed;
  }
  record = std::move(frame_.bytes);
  switch (status) {
    case FrameStatus::Frame:
      return Next::Record;
    case FrameStatus::End:
    case FrameStatus::StrayBytes:
      return Next::End;
    case FrameStatus::Truncated:
      VYN_LOG_ERROR("Truncated record: %u bytes announced, %llu available", frame_.length,
                    static_cast<unsigned long long>(record.size()));
      return Next::Failed;
    case FrameStatus::ReadError:
      record.clear();
      return Next::Record;
  }
  return Next::Failed;
}

}  // namespace vyn::profiling
