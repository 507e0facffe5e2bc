// A record that verifies against the schema but that a reader refuses: its
// events share one name, which the reader would copy once per event, many times
// the record's own size.
#ifndef VYN_TESTS_SUPPORT_SHARED_NAME_RECORD_H_
#define VYN_TESTS_SUPPORT_SHARED_NAME_RECORD_H_

#include <string>
#include <vector>

#include "format/record_format.h"

namespace vyn::testing {

// One Execute message named by `ownBytes` bytes (none: no name) whose `events`
// events all name one text of `nameBytes` bytes; the record's bytes, without a
// length prefix. The reader would copy events * nameBytes + ownBytes bytes.
inline std::string sharedNameRecord(std::size_t events, std::size_t nameBytes, std::size_t ownBytes = 0) {
  namespace fb = ::vyn::profiling::fb;
  flatbuffers::FlatBufferBuilder builder;
  const auto event = fb::CreateEventEntry(builder, builder.CreateString(std::string(nameBytes, 'n')));
  const auto list = builder.CreateVector(std::vector<flatbuffers::Offset<fb::EventEntry>>(events, event));
  flatbuffers::Offset<flatbuffers::String> own;
  if (ownBytes != 0) own = builder.CreateString(std::string(ownBytes, 'm'));
  const auto message = fb::CreateMethodMessage(builder, fb::CreateMessageTimestamp(builder, 1), fb::MethodType_Execute,
                                               fb::CreateMethodTiming(builder), 0, list, own);
  builder.Finish(fb::CreateProfileLogRecord(builder, 0, builder.CreateVector(&message, 1)));
  return std::string(reinterpret_cast<const char*>(builder.GetBufferPointer()), builder.GetSize());
}

// What the tools say of it: the bytes it would copy, the reader's allowance.
inline std::string copyBudgetReason(std::size_t copied, std::size_t recordSize) {
  return "the record's messages and events would copy " + std::to_string(copied) +
         " bytes of names and values; the reader allows " + std::to_string(4 * recordSize) + " for a record of " +
         std::to_string(recordSize) + " bytes";
}

}  // namespace vyn::testing

#endif  // VYN_TESTS_SUPPORT_SHARED_NAME_RECORD_H_
