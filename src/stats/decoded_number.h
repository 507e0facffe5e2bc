// The number a decoded event value holds, for the figures that add values up.
#ifndef VYN_STATS_DECODED_NUMBER_H_
#define VYN_STATS_DECODED_NUMBER_H_

#include "model/event_value.h"

namespace vyn::profiling {

// The value as a double; none when it holds no number (a text, bytes, nothing).
inline double numberOr(const DecodedValue& value, double none) {
  switch (value.kind) {
    case DecodedValue::Kind::Signed:
      return static_cast<double>(value.signedNumber);
    case DecodedValue::Kind::Unsigned:
      return static_cast<double>(value.unsignedNumber);
    case DecodedValue::Kind::Floating:
      return value.floating;
    default:
      return none;
  }
}

}  // namespace vyn::profiling

#endif  // VYN_STATS_DECODED_NUMBER_H_
