// The cursor through which a reader looks at one verified log record at a time.
#ifndef VYN_FORMAT_FLAT_BUFFER_READER_UTIL_H_
#define VYN_FORMAT_FLAT_BUFFER_READER_UTIL_H_

#include <cstdint>
#include <memory>
#include <vector>

#include "format/record_format.h"

namespace vyn::profiling {

class FlatBufferReaderUtil {
 public:
  FlatBufferReaderUtil() = default;
  virtual ~FlatBufferReaderUtil() = default;

  // Verifies the whole record and positions the cursor on its first message.
  // On failure logs "Corrupted flatbuffer binary stream", returns false and keeps
  // the previous state. The cursor keeps views into the record, not the record
  // itself: the caller keeps the bytes alive while it walks the messages.
  bool initialize(std::shared_ptr<std::vector<std::uint8_t>> record);

  // The next message of the current record, or null once it is exhausted.
  const fb::MethodMessage* getNextMessage();

  // The header table of the first record that carried one, or null. Valid only
  // while that record's bytes are alive.
  const fb::LogHeader* getHeader() const { return headerTable; }

  const fb::ProfileLogRecord* rootTable = nullptr;
  const fb::LogHeader* headerTable = nullptr;
  const flatbuffers::Vector<flatbuffers::Offset<fb::MethodMessage>>* messages = nullptr;
  std::uint64_t messageCounter = 0;
};

}  // namespace vyn::profiling

#endif  // VYN_FORMAT_FLAT_BUFFER_READER_UTIL_H_
