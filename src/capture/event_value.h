// Reading an event's value as a number.
#ifndef VYN_CAPTURE_EVENT_VALUE_H_
#define VYN_CAPTURE_EVENT_VALUE_H_

#include <cstdint>

#include "vyn/profiling/profile_event.h"

namespace vyn::profiling {

// The number the value holds, as an unsigned count: integers as their 64 bits,
// floating values truncated toward zero (negative or NaN: 0; beyond the largest
// u64: the largest u64), texts and values of no type 0. A text value's payload is
// an address and never leaks out of here.
std::uint64_t eventValueAsUnsigned(const EventValue& value);

}  // namespace vyn::profiling

#endif  // VYN_CAPTURE_EVENT_VALUE_H_
