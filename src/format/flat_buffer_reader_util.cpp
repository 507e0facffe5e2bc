#include "format/flat_buffer_reader_util.h"

#include <utility>

#include "log/logger.h"

namespace vyn::profiling {

bool FlatBufferReaderUtil::initialize(std::shared_ptr<std::vector<std::uint8_t>> record) {
  const std::uint8_t* bytes = record ? record->data() : nullptr;
  const std::size_t size = record ? record->size() : 0;
  if (bytes == nullptr || !verifyRecord(bytes, size)) {
    VYN_LOG_ERROR("Corrupted flatbuffer binary stream");
    return false;
  }
  rootTable = flatbuffers::GetRoot<fb::ProfileLogRecord>(bytes);
  if (headerTable == nullptr) headerTable = rootTable->header();
  messages = rootTable->messages();
  messageCounter = 0;
  return true;
}

const fb::MethodMessage* FlatBufferReaderUtil::getNextMessage() {
  if (messages != nullptr && messageCounter < messages->size()) {
    return messages->Get(static_cast<flatbuffers::uoffset_t>(messageCounter++));
  }
  VYN_LOG_DEBUG("profiling::FlatBufferReaderUtil no more messages! (Message Counter: %llu)",
                static_cast<unsigned long long>(messageCounter));
  return nullptr;
}

}  // namespace vyn::profiling
