#include "format/record_format.h"

namespace vyn::profiling {
namespace {

// Counts the bytes of the texts and byte values the reader copies out of a
// record, and stops as soon as they exceed the budget.
class CopiedBytesBudget {
 public:
  explicit CopiedBytesBudget(std::uint64_t budget) : left_(budget) {}

  bool take(std::uint64_t bytes) {
    if (bytes > left_) return false;
    left_ -= bytes;
    return true;
  }
  template <typename T>
  bool take(const flatbuffers::Vector<T>* vector) {
    return vector == nullptr || take(static_cast<std::uint64_t>(vector->size()) * sizeof(T));
  }

  bool takeEvents(const flatbuffers::Vector<flatbuffers::Offset<fb::EventEntry>>* events) {
    if (events == nullptr) return true;
    for (const fb::EventEntry* event : *events) {
      if (!take(event->name()) || !take(event->detailText()) || !take(event->stringValue()) ||
          !take(event->bytesValue()) || !takeEvents(event->subEvents()))
        return false;
    }
    return true;
  }

 private:
  std::uint64_t left_;
};

}  // namespace

bool verifyRecord(const std::uint8_t* bytes, std::size_t size) {
  if (size >= kMaxRecordSize) return false;
  flatbuffers::Verifier verifier(bytes, size, recordVerifierOptions(size));
  if (!verifier.VerifyBuffer<fb::ProfileLogRecord>(nullptr)) return false;

  const auto* root = flatbuffers::GetRoot<fb::ProfileLogRecord>(bytes);
  const auto* messages = root->messages();
  if (messages == nullptr) return true;
  CopiedBytesBudget budget(static_cast<std::uint64_t>(size) * kMaxCopiedBytesPerRecordByte);
  for (const fb::MethodMessage* message : *messages) {
    if (!budget.take(message->name()) || !budget.takeEvents(message->events())) return false;
  }
  return true;
}

}  // namespace vyn::profiling
