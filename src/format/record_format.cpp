#include "format/record_format.h"

#include <limits>

namespace vyn::profiling {
namespace {

// Counts the bytes of the texts and byte values the reader copies out of a
// record, and stops as soon as they exceed the limit.
class CopiedBytes {
 public:
  explicit CopiedBytes(std::uint64_t limit) : limit_(limit) {}

  // False once the count is over the limit.
  bool take(std::uint64_t bytes) {
    count_ += bytes;
    return count_ <= limit_;
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

  bool takeRecord(const std::uint8_t* bytes) {
    const auto* messages = flatbuffers::GetRoot<fb::ProfileLogRecord>(bytes)->messages();
    if (messages == nullptr) return true;
    for (const fb::MethodMessage* message : *messages) {
      if (!take(message->name()) || !takeEvents(message->events())) return false;
    }
    return true;
  }

  std::uint64_t count() const { return count_; }

 private:
  const std::uint64_t limit_;
  // A verified record visits at most size / kMinBytesPerTable tables, each
  // adding at most size bytes: below 2^62 for any record the verifier takes.
  std::uint64_t count_ = 0;
};

bool verifiesAgainstSchema(const std::uint8_t* bytes, std::size_t size) {
  flatbuffers::Verifier verifier(bytes, size, recordVerifierOptions(size));
  return verifier.VerifyBuffer<fb::ProfileLogRecord>(nullptr);
}

std::uint64_t copyBudget(std::size_t size) { return static_cast<std::uint64_t>(size) * kMaxCopiedBytesPerRecordByte; }

}  // namespace

bool verifyRecord(const std::uint8_t* bytes, std::size_t size) {
  if (size >= kMaxRecordSize || !verifiesAgainstSchema(bytes, size)) return false;
  return CopiedBytes(copyBudget(size)).takeRecord(bytes);
}

std::optional<RecordFault> findRecordFault(const std::uint8_t* bytes, std::size_t size) {
  if (size >= kMaxRecordSize) {
    return RecordFault{RecordFaultKind::TooLarge, std::nullopt,
                       "record of " + std::to_string(size) + " bytes is larger than the verifier accepts"};
  }
  if (!verifiesAgainstSchema(bytes, size)) return diagnoseMalformedRecord(bytes, size);
  // The whole count, not just up to the budget: the words give it.
  CopiedBytes copied(std::numeric_limits<std::uint64_t>::max());
  copied.takeRecord(bytes);
  if (copied.count() <= copyBudget(size)) return std::nullopt;
  return RecordFault{RecordFaultKind::CopiesTooMuch, std::nullopt,
                     "the record's messages and events would copy " + std::to_string(copied.count()) +
                         " bytes of names and values; the reader allows " + std::to_string(copyBudget(size)) +
                         " for a record of " + std::to_string(size) + " bytes"};
}

}  // namespace vyn::profiling
