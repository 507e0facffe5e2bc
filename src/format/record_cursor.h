// The cursor through which a reader looks at one verified log record at a time.
#ifndef VYN_FORMAT_RECORD_CURSOR_H_
#define VYN_FORMAT_RECORD_CURSOR_H_

#include <cstddef>
#include <cstdint>

#include "format/record_format.h"

namespace vyn::profiling {

class RecordCursor {
 public:
  // Positions the cursor on the first message of a record that has passed
  // verifyRecord already (a LogScanner's record), without verifying it again.
  // The cursor keeps views into the record, not the record: the caller keeps
  // the bytes alive until release().
  void attach(const std::uint8_t* verifiedBytes);

  // Forgets the record, whose bytes may then go.
  void release() { *this = RecordCursor(); }

  // The next message of the current record, or null once it is exhausted (or
  // when no record is held).
  const fb::MethodMessage* getNextMessage();

  // The current record's header table, or null.
  const fb::LogHeader* getHeader() const { return header_; }

 private:
  const fb::LogHeader* header_ = nullptr;
  const flatbuffers::Vector<flatbuffers::Offset<fb::MethodMessage>>* messages_ = nullptr;
  std::uint64_t messageCounter_ = 0;
};

}  // namespace vyn::profiling

#endif  // VYN_FORMAT_RECORD_CURSOR_H_
