#include "reader/phase_statistics.h"

#include <cstring>

namespace vyn::profiling {
namespace {

enum class NumberKind { Signed, Unsigned, Floating, NotANumber };

NumberKind numberKind(std::uint32_t dataType) {
  switch (dataType) {
    case ValueDataType::Int64: return NumberKind::Signed;
    case ValueDataType::UInt64: return NumberKind::Unsigned;
    case ValueDataType::Float32:
    case ValueDataType::Float64: return NumberKind::Floating;
    default: return NumberKind::NotANumber;
  }
}

double asDouble(const EventValue& value) {
  switch (value.dataType) {
    case ValueDataType::Int64: return static_cast<double>(static_cast<std::int64_t>(value.payload));
    case ValueDataType::UInt64: return static_cast<double>(value.payload);
    case ValueDataType::Float32: {
      float number;
      const auto bits = static_cast<std::uint32_t>(value.payload);
      std::memcpy(&number, &bits, sizeof number);
      return number;
    }
    case ValueDataType::Float64: {
      double number;
      std::memcpy(&number, &value.payload, sizeof number);
      return number;
    }
    default: return 0.0;
  }
}

std::uint64_t doubleBits(double number) {
  std::uint64_t bits;
  std::memcpy(&bits, &number, sizeof bits);
  return bits;
}

// Adds the incoming value into the accumulated one, keeping the sum in a type
// that can hold both: signed with signed, floating when either is floating,
// unsigned otherwise. A value that is not a number is left alone.
void addValue(ProfileEvent& accumulated, const ProfileEvent& incoming) {
  const NumberKind mine = numberKind(accumulated.value.dataType);
  const NumberKind theirs = numberKind(incoming.value.dataType);
  if (mine == NumberKind::NotANumber || theirs == NumberKind::NotANumber) return;
  EventValue& value = accumulated.value;
  if (mine == NumberKind::Floating || theirs == NumberKind::Floating) {
    value.payload = doubleBits(asDouble(value) + asDouble(incoming.value));
    value.dataType = ValueDataType::Float64;
  } else if (mine == NumberKind::Signed && theirs == NumberKind::Signed) {
    // Two's-complement addition: wraps like the unsigned sum, read as signed.
    value.payload += incoming.value.payload;
    value.dataType = ValueDataType::Int64;
  } else {
    value.payload += incoming.value.payload;
    value.dataType = ValueDataType::UInt64;
  }
  accumulated.mergeCount += 1;
}

// Copies stat's timestamp and events into result; used for the extremes.
void takeOccurrence(PhaseStat& result, const PhaseStat& occurrence) {
  result.timestamp = occurrence.timestamp;
  result.subEvents = occurrence.subEvents;
}

}  // namespace

PhaseStat averagePhaseStats(const std::vector<PhaseStat>& occurrences) {
  PhaseStat result;
  std::uint64_t sum = 0;
  std::uint64_t nonZero = 0;
  for (const PhaseStat& occurrence : occurrences) {
    sum += occurrence.value;
    if (occurrence.value != 0) ++nonZero;
    result.timestamp = occurrence.timestamp;
    mergeEvents(result.subEvents, occurrence.subEvents);
  }
  result.value = nonZero == 0 ? 0 : sum / nonZero;
  finishEventAverages(result.subEvents);
  return result;
}

PhaseStat maxPhaseStat(const std::vector<PhaseStat>& occurrences) {
  PhaseStat result;
  const PhaseStat* largest = nullptr;
  for (const PhaseStat& occurrence : occurrences) {
    if (largest == nullptr || occurrence.value >= largest->value) largest = &occurrence;
  }
  if (largest != nullptr) {
    result.value = largest->value;
    takeOccurrence(result, *largest);
  }
  return result;
}

PhaseStat minPhaseStat(const std::vector<PhaseStat>& occurrences) {
  PhaseStat result;
  const PhaseStat* smallest = nullptr;
  for (const PhaseStat& occurrence : occurrences) {
    if (occurrence.value == 0) continue;
    if (smallest == nullptr || occurrence.value <= smallest->value) smallest = &occurrence;
  }
  if (smallest != nullptr) {
    result.value = smallest->value;
    takeOccurrence(result, *smallest);
  }
  return result;
}

void mergeEvents(std::vector<ProfileEvent>& accumulated, const std::vector<ProfileEvent>& incoming) {
  if (accumulated.empty()) {
    for (const ProfileEvent& event : incoming)
      if (event.unit != EventUnit::Object) accumulated.push_back(event);
    return;
  }
  // Only the events present when the call began are searched; newcomers are
  // appended at the end, in the order met.
  const std::size_t searched = accumulated.size();
  std::vector<const ProfileEvent*> newcomers;
  for (const ProfileEvent& event : incoming) {
    ProfileEvent* match = nullptr;
    for (std::size_t i = 0; i < searched; ++i) {
      if (accumulated[i].name == event.name) {
        match = &accumulated[i];
        break;
      }
    }
    if (match != nullptr) {
      addValue(*match, event);
      mergeEvents(match->subEvents, event.subEvents);
    } else if (event.unit != EventUnit::Object) {
      newcomers.push_back(&event);
    }
  }
  accumulated.reserve(accumulated.size() + newcomers.size());
  for (const ProfileEvent* event : newcomers) accumulated.push_back(*event);
}

void finishEventAverages(std::vector<ProfileEvent>& events) {
  for (ProfileEvent& event : events) {
    if (event.mergeCount > 1) {
      EventValue& value = event.value;
      switch (value.dataType) {
        case ValueDataType::UInt64:
          value.payload /= event.mergeCount;
          break;
        case ValueDataType::Int64:
          value.payload = static_cast<std::uint64_t>(static_cast<std::int64_t>(value.payload) /
                                                     static_cast<std::int64_t>(event.mergeCount));
          break;
        case ValueDataType::Float64:
          value.payload = doubleBits(asDouble(value) / static_cast<double>(event.mergeCount));
          break;
        default:
          break;
      }
    }
    finishEventAverages(event.subEvents);
  }
}

}  // namespace vyn::profiling
