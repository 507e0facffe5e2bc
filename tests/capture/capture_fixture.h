// Helpers for the handler tests: one message run through one handler, and the
// names or identifiers of event lists.
#ifndef VYN_TESTS_CAPTURE_CAPTURE_FIXTURE_H_
#define VYN_TESTS_CAPTURE_CAPTURE_FIXTURE_H_

#include <stdexcept>
#include <string>
#include <vector>

#include "format/record_format.h"
#include "reader/vyn_profile_log_reader.h"
#include "support/log_builder.h"

namespace vyn::testing {

// Runs one handler on one message. The message's bytes are gone when this
// returns, as they are after a record's iteration, so whatever the handler kept
// must be its own copy.
template <typename Handler>
bool runHandler(Handler handler, profiling::VynProfileLogReader& reader, const Message& message) {
  Record record;
  record.messages = {message};
  const std::vector<std::uint8_t> bytes = buildRecord(record);
  if (!profiling::verifyRecord(bytes.data(), bytes.size()))
    throw std::runtime_error("test message does not verify");
  return handler(reader, *flatbuffers::GetRoot<profiling::fb::ProfileLogRecord>(bytes.data())
                              ->messages()->Get(0));
}

template <typename Field>
auto fieldsOf(const std::vector<profiling::ProfileEvent>& events, Field field) {
  std::vector<std::decay_t<decltype(events[0].*field)>> list;
  for (const auto& event : events) list.push_back(event.*field);
  return list;
}
inline std::vector<std::string> names(const std::vector<profiling::ProfileEvent>& events) {
  return fieldsOf(events, &profiling::ProfileEvent::name);
}
inline std::vector<std::uint32_t> identifiers(const std::vector<profiling::ProfileEvent>& events) {
  return fieldsOf(events, &profiling::ProfileEvent::identifier);
}

}  // namespace vyn::testing

#endif  // VYN_TESTS_CAPTURE_CAPTURE_FIXTURE_H_
