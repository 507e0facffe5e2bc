// The reader's own record of one measured event, as it appears in the event trees
// that the reader keeps and that the event printers of the reader interface take.
#ifndef VYN_PROFILING_PROFILE_EVENT_H_
#define VYN_PROFILING_PROFILE_EVENT_H_

#include <cstdint>
#include <string>
#include <vector>

namespace vyn::profiling {

// How the 64 payload bits of an EventValue are read. The low byte is the width in
// bits written with decimal digits read as hexadecimal, the byte above it the
// category (0 signed, 1 unsigned, 2 floating point, 5 boolean, 6 text).
namespace ValueDataType {
inline constexpr std::uint32_t Int8 = 0x0008;
inline constexpr std::uint32_t Int16 = 0x0016;
inline constexpr std::uint32_t Int32 = 0x0032;
inline constexpr std::uint32_t Int64 = 0x0064;
inline constexpr std::uint32_t UInt8 = 0x0108;
inline constexpr std::uint32_t UInt16 = 0x0116;
inline constexpr std::uint32_t UInt32 = 0x0132;
inline constexpr std::uint32_t UInt64 = 0x0164;
inline constexpr std::uint32_t Float16 = 0x0226;
inline constexpr std::uint32_t Float32 = 0x0232;
inline constexpr std::uint32_t Float64 = 0x0264;
inline constexpr std::uint32_t Bool8 = 0x0508;
inline constexpr std::uint32_t String = 0x0608;
inline constexpr std::uint32_t Undefined = 0x7FFFFFFF;
}  // namespace ValueDataType

// Codes of EventEntry.unit in the log.
namespace EventUnit {
inline constexpr std::uint32_t Microseconds = 1;
inline constexpr std::uint32_t Bytes = 2;
inline constexpr std::uint32_t Cycles = 3;
inline constexpr std::uint32_t Count = 4;
inline constexpr std::uint32_t Object = 5;  // raw data, not a measurement
inline constexpr std::uint32_t None = 6;
}  // namespace EventUnit

struct EventValue {
  std::uint32_t dataType = ValueDataType::Undefined;
  // For ValueDataType::String: the address of a NUL-terminated text owned by the
  // reader that produced the event; valid for that reader's whole life.
  std::uint64_t payload = 0;
};

struct ProfileEvent {
  std::uint32_t identifier = 0;
  EventValue value;
  std::vector<std::uint8_t> bytes;  // raw bytes of a bytes-valued event
  std::string name;
  std::string detailText;  // names the data file of an object-valued event
  std::uint32_t unit = 0;
  std::uint64_t auxValue = 0;
  std::uint64_t mergeCount = 1;  // how many events of this name were merged in
  std::vector<ProfileEvent> subEvents;
};

}  // namespace vyn::profiling

#endif  // VYN_PROFILING_PROFILE_EVENT_H_
