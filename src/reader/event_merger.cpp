#include "reader/event_merger.h"

#include <cstdint>
#include <cstring>

#include "reader/phase_statistics.h"

namespace vyn::profiling {
namespace {

// Up to this many events a level is searched in order; beyond, through its index.
constexpr std::size_t kScannedLevelSize = 8;

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

}  // namespace

void EventMerger::mergeLevel(Level& level, std::vector<ProfileEvent>& accumulated,
                             const std::vector<ProfileEvent>& incoming) {
  if (accumulated.empty()) {
    accumulated.reserve(incoming.size());
    for (const ProfileEvent& event : incoming)
      if (event.unit != EventUnit::Object) accumulated.push_back(event);
    return;
  }
  // Only the events present when the list arrived are searched; newcomers are
  // appended at the end, in the order met.
  const std::size_t searched = accumulated.size();
  std::vector<const ProfileEvent*> newcomers;
  for (std::size_t i = 0; i < incoming.size(); ++i) {
    const ProfileEvent& event = incoming[i];
    const std::size_t position = find(level, accumulated, searched, event.name, i);
    if (position < searched) {
      addValue(accumulated[position], event);
      if (!event.subEvents.empty())
        mergeLevel(child(level, position), accumulated[position].subEvents, event.subEvents);
    } else if (event.unit != EventUnit::Object) {
      newcomers.push_back(&event);
    }
  }
  // Growing one event at a time keeps the vector's doubling: a list that gains
  // events with every occurrence is not moved whole each time.
  for (const ProfileEvent* event : newcomers) accumulated.push_back(*event);
}

std::size_t EventMerger::find(Level& level, const std::vector<ProfileEvent>& accumulated,
                              std::size_t searched, const std::string& name, std::size_t likely) {
  if (searched <= kScannedLevelSize) {
    for (std::size_t i = 0; i < searched; ++i)
      if (accumulated[i].name == name) return i;
    return searched;
  }
  // Positions only grow, so an index entry, once made, stays the first one.
  for (; level.indexed < searched; ++level.indexed) {
    if (!level.firstPosition.emplace(accumulated[level.indexed].name, level.indexed).second)
      level.distinct = false;
  }
  // Among different names, the one that matches is the first that does.
  if (level.distinct && likely < searched && accumulated[likely].name == name) return likely;
  const auto found = level.firstPosition.find(name);
  return found != level.firstPosition.end() && found->second < searched ? found->second : searched;
}

EventMerger::Level& EventMerger::child(Level& level, std::size_t position) {
  if (level.children.size() <= position) level.children.resize(position + 1);
  if (!level.children[position]) level.children[position] = std::make_unique<Level>();
  return *level.children[position];
}

void mergeEvents(std::vector<ProfileEvent>& accumulated, const std::vector<ProfileEvent>& incoming) {
  EventMerger(accumulated).merge(incoming);
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
