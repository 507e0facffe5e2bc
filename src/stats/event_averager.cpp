#include "stats/event_averager.h"

#include <algorithm>
#include <cstring>
#include <new>
#include <type_traits>

#include "model/event_value.h"
#include "stats/decoded_number.h"
#include "vyn/profiling/profile_event.h"

namespace vyn::profiling {
namespace {

// Up to this many events a level is searched in order; beyond, through its index.
constexpr std::uint32_t kScannedLevelSize = 8;

enum class NumberKind { Signed, Unsigned, Floating, NotANumber };

NumberKind numberKind(ValueType type) {
  switch (type) {
    case ValueType::Int64:
      return NumberKind::Signed;
    case ValueType::UInt64:
      return NumberKind::Unsigned;
    case ValueType::Float32:
    case ValueType::Float64:
      return NumberKind::Floating;
    case ValueType::Text:
    case ValueType::None:
      break;
  }
  return NumberKind::NotANumber;
}

double asDouble(const EventRow& row) { return numberOr(decodeValue({dataTypeOf(row.type), row.bits}), 0.0); }

std::uint64_t doubleBits(double number) {
  std::uint64_t bits;
  std::memcpy(&bits, &number, sizeof bits);
  return bits;
}

double bitsDouble(std::uint64_t bits) {
  double number;
  std::memcpy(&number, &bits, sizeof number);
  return number;
}

// The first row after row that is not one of its sub-events.
const EventRow* subtreeEnd(const EventRow* row, const EventRow* end) {
  const std::uint8_t depth = row->depth;
  ++row;
  while (row != end && row->depth > depth) ++row;
  return row;
}

// Adds the incoming value into the accumulated one; false when either is not a
// number, which leaves the accumulated value alone.
bool addValue(EventRow& accumulated, const EventRow& incoming) {
  const NumberKind mine = numberKind(accumulated.type);
  const NumberKind theirs = numberKind(incoming.type);
  if (mine == NumberKind::NotANumber || theirs == NumberKind::NotANumber) return false;
  if (mine == NumberKind::Floating || theirs == NumberKind::Floating) {
    accumulated.bits = doubleBits(asDouble(accumulated) + asDouble(incoming));
    accumulated.type = ValueType::Float64;
  } else {
    // Two's-complement addition: a signed sum wraps like the unsigned one.
    accumulated.bits += incoming.bits;
    accumulated.type =
        mine == NumberKind::Signed && theirs == NumberKind::Signed ? ValueType::Int64 : ValueType::UInt64;
  }
  return true;
}

}  // namespace

EventAverager::EventAverager() { addNode(EventRow{}); }

void EventAverager::add(const EventList& incoming) {
  if (!incoming.empty()) mergeLevel(0, incoming.begin(), incoming.end());
}

void EventAverager::mergeLevel(std::uint32_t parent, const EventRow* begin, const EventRow* end) {
  if (node(parent).childCount == 0) {
    for (const EventRow* row = begin; row != end;) {
      row = row->unit != EventUnit::Object ? copy(parent, row, end) : subtreeEnd(row, end);
    }
    return;
  }
  // Newcomers are appended after the whole list has been walked, so that only
  // the events that were there when it arrived are searched.
  const std::size_t firstNewcomer = newcomers_.size();
  std::uint32_t guess = node(parent).firstChild;
  for (const EventRow* row = begin; row != end;) {
    const EventRow* next = subtreeEnd(row, end);
    const std::uint32_t found = find(parent, row->name, guess);
    if (found != kNone) {
      if (addValue(node(found).row, *row)) node(found).count += 1;
      if (row + 1 != next) mergeLevel(found, row + 1, next);
      guess = node(found).nextSibling;
    } else if (row->unit != EventUnit::Object) {
      newcomers_.emplace_back(row, next);
    }
    row = next;
  }
  for (std::size_t i = firstNewcomer; i < newcomers_.size(); ++i) {
    copy(parent, newcomers_[i].first, newcomers_[i].second);
  }
  newcomers_.resize(firstNewcomer);
}

std::uint32_t EventAverager::find(std::uint32_t parent, TextId name, std::uint32_t guess) {
  const Node& level = node(parent);
  if (level.childCount <= kScannedLevelSize) {
    for (std::uint32_t child = level.firstChild; child != kNone; child = node(child).nextSibling) {
      if (node(child).row.name == name) return child;
    }
    return kNone;
  }
  LevelIndex& index = levelIndexes_[parent];
  std::uint32_t next = index.lastIndexed == kNone ? level.firstChild : node(index.lastIndexed).nextSibling;
  for (; next != kNone; next = node(next).nextSibling) {
    if (!index.firstNode.insert(node(next).row.name, next)) index.distinct = false;
    index.lastIndexed = next;
  }
  // Occurrences mostly list their events in the same order, so the event after
  // the last one matched is likely the one; among different names it is the
  // first of its name.
  if (index.distinct && guess != kNone && node(guess).row.name == name) return guess;
  const std::uint32_t found = index.firstNode.find(name);
  return found == base::TextIdMap<TextId>::kMissing ? kNone : found;
}

const EventRow* EventAverager::copy(std::uint32_t parent, const EventRow* row, const EventRow* end) {
  const std::uint32_t child = addChild(parent, *row);
  const EventRow* next = row + 1;
  while (next != end && next->depth > row->depth) next = copy(child, next, end);
  return next;
}

std::uint32_t EventAverager::addNode(const EventRow& row) {
  static_assert(std::is_trivially_destructible_v<Node>, "the arena never destroys its nodes");
  const std::uint32_t index = nodeCount_;
  // A new block starts at 0, at every power of two from 64 to 2048, and at
  // every multiple of 4096; it reaches up to the next such start.
  const bool small = index >> kBlockBits == 0;
  const bool blockStart = small ? (index == 0 || (index >= (1u << kSmallBits) && (index & (index - 1)) == 0))
                                : (index & ((1u << kBlockBits) - 1)) == 0;
  if (blockStart) {
    const std::uint32_t size = !small ? 1u << kBlockBits : index == 0 ? 1u << kSmallBits : index;
    blocks_.push_back(memory_.allocateArray<Node>(size));
  }
  ++nodeCount_;
  Node* fresh = &node(index);
  new (fresh) Node{};
  fresh->row = row;
  return index;
}

std::uint32_t EventAverager::addChild(std::uint32_t parent, const EventRow& row) {
  const std::uint32_t child = addNode(row);
  Node& level = node(parent);
  if (level.lastChild == kNone) {
    level.firstChild = child;
  } else {
    node(level.lastChild).nextSibling = child;
  }
  level.lastChild = child;
  ++level.childCount;
  return child;
}

std::vector<EventRow> EventAverager::finish() {
  std::vector<EventRow> rows;
  rows.reserve(nodeCount_ - 1);
  for (std::uint32_t child = node(0).firstChild; child != kNone; child = node(child).nextSibling) {
    finishNode(child, 0, rows);
  }
  levelIndexes_.clear();
  return rows;
}

void EventAverager::finishNode(std::uint32_t index, std::uint8_t depth, std::vector<EventRow>& rows) {
  EventRow row = node(index).row;
  const std::uint64_t count = node(index).count;
  row.depth = depth;
  if (count > 1) {
    switch (row.type) {
      case ValueType::UInt64:
        row.bits /= count;
        break;
      case ValueType::Int64:
        row.bits = static_cast<std::uint64_t>(static_cast<std::int64_t>(row.bits) / static_cast<std::int64_t>(count));
        break;
      case ValueType::Float64:
        row.bits = doubleBits(bitsDouble(row.bits) / static_cast<double>(count));
        break;
      default:
        break;
    }
  }
  rows.push_back(row);
  for (std::uint32_t child = node(index).firstChild; child != kNone; child = node(child).nextSibling) {
    finishNode(child, static_cast<std::uint8_t>(depth + 1), rows);
  }
}

}  // namespace vyn::profiling
