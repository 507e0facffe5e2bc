#include "format/record_cursor.h"

#include "log/logger.h"

namespace vyn::profiling {

void RecordCursor::attach(const std::uint8_t* verifiedBytes) {
  const auto* root = flatbuffers::GetRoot<fb::ProfileLogRecord>(verifiedBytes);
  header_ = root->header();
  messages_ = root->messages();
  messageCounter_ = 0;
}

const fb::MethodMessage* RecordCursor::getNextMessage() {
  if (messages_ != nullptr && messageCounter_ < messages_->size()) {
    return messages_->Get(static_cast<flatbuffers::uoffset_t>(messageCounter_++));
  }
  VYN_LOG_DEBUG("profiling::FlatBufferReaderUtil no more messages! (Message Counter: %llu)",
                static_cast<unsigned long long>(messageCounter_));
  return nullptr;
}

}  // namespace vyn::profiling
