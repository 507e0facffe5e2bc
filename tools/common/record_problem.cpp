#include "common/record_problem.h"

#include <optional>

#include "format/record_format.h"

namespace vyn::tools {
namespace {

namespace fb = ::vyn::profiling::fb;
using flatbuffers::Table;

// The root offset, the root table's vtable offset and the two sizes of its
// vtable: nothing shorter can be a buffer.
constexpr std::size_t kSmallestRecord = sizeof(flatbuffers::uoffset_t) +
                                        sizeof(flatbuffers::soffset_t) + 2 * sizeof(std::uint16_t);

// The generated tables derive privately from flatbuffers::Table.
template <typename GeneratedTable>
const Table* asTable(const GeneratedTable* table) {
  return reinterpret_cast<const Table*>(table);
}

// Where a walk over the record in the verifier's own order first failed.
struct WalkFault {
  std::string part;                      // set for faults outside the messages
  std::optional<std::size_t> message;    // set for a fault inside message *message
};

// Verifies the record part by part with these options, so that the first part
// found faulty is the one that made verification fail.
std::optional<WalkFault> walk(const std::uint8_t* bytes, std::size_t size,
                              const flatbuffers::Verifier::Options& options) {
  flatbuffers::Verifier verifier(bytes, size, options);
  const auto* root = flatbuffers::GetRoot<fb::ProfileLogRecord>(bytes);
  if (!asTable(root)->VerifyTableStart(verifier)) return WalkFault{"the record's root table is malformed", {}};
  if (!asTable(root)->VerifyOffset(verifier, fb::ProfileLogRecord::VT_HEADER) ||
      !verifier.VerifyTable(root->header())) {
    return WalkFault{"the log header is malformed", {}};
  }
  if (!asTable(root)->VerifyOffset(verifier, fb::ProfileLogRecord::VT_MESSAGES) ||
      !verifier.VerifyVector(root->messages())) {
    return WalkFault{"the message vector reaches outside the record", {}};
  }
  if (const auto* messages = root->messages()) {
    for (flatbuffers::uoffset_t i = 0; i < messages->size(); ++i) {
      if (!messages->Get(i)->Verify(verifier)) return WalkFault{{}, i};
    }
  }
  return std::nullopt;
}

// A message that fails even without the depth and table limits.
std::string malformedMessage(const std::uint8_t* bytes, std::size_t size, std::size_t index,
                             const flatbuffers::Verifier::Options& options) {
  const std::string which = "message " + std::to_string(index);
  const auto* message = flatbuffers::GetRoot<fb::ProfileLogRecord>(bytes)->messages()->Get(
      static_cast<flatbuffers::uoffset_t>(index));
  flatbuffers::Verifier fresh(bytes, size, options);
  if (!asTable(message)->VerifyTableStart(fresh)) return which + " lies outside the record";
  if (!asTable(message)->CheckField(fb::MethodMessage::VT_TIMESTAMP)) {
    return which + " has no timestamp (a required field)";
  }
  if (!asTable(message)->CheckField(fb::MethodMessage::VT_TIMING)) {
    return which + " has no timing (a required field)";
  }
  return which + " is malformed (a table, string or vector reaches outside the record)";
}

}  // namespace

std::string recordProblem(const std::uint8_t* bytes, std::size_t size) {
  const auto fault = profiling::findRecordFault(bytes, size);
  if (!fault) return {};
  // The format layer's words say all there is to say but for a malformed record.
  if (fault->kind != profiling::RecordFaultKind::Malformed) return fault->words;
  if (size == 0) return "empty record (length prefix 0)";
  if (size < kSmallestRecord) {
    return "record of " + std::to_string(size) + " bytes is too short to hold a record";
  }
  const auto rootOffset = flatbuffers::ReadScalar<flatbuffers::uoffset_t>(bytes);
  if (rootOffset == 0 || rootOffset >= size) {
    return "root offset " + std::to_string(rootOffset) + " points outside the record";
  }

  // Lift the limits one by one: a fault that remains without any is in the
  // bytes themselves; one that goes with the depth limit is nesting; one that
  // goes with the table limit is tables shared between parents.
  const auto strict = profiling::recordVerifierOptions(size);
  auto anyTables = strict;
  anyTables.max_tables = 0xFFFFFFFF;
  auto unlimited = anyTables;
  unlimited.max_depth = 1u << 30;
  if (const auto unbounded = walk(bytes, size, unlimited)) {
    if (unbounded->message) return malformedMessage(bytes, size, *unbounded->message, unlimited);
    return unbounded->part;
  }
  if (const auto shallow = walk(bytes, size, anyTables)) {
    if (shallow->message) {
      return "the events of message " + std::to_string(*shallow->message) +
             " nest deeper than the verifier's limit of " + std::to_string(strict.max_depth) + " tables";
    }
    return shallow->part + " (nested too deep)";
  }
  if (!walk(bytes, size, strict)) return fault->words;
  return "its tables are shared between parents: verifying it would visit more than " +
         std::to_string(strict.max_tables) + " tables, more than its " + std::to_string(size) +
         " bytes can hold";
}

std::string frameProblem(FrameStatus status, const Frame& frame, const LogFrameReader& reader) {
  switch (status) {
    case FrameStatus::Truncated:
      return "truncated record: the length prefix announces " + std::to_string(frame.length) +
             " bytes, only " + std::to_string(frame.bytes.size()) + " remain";
    case FrameStatus::ReadError:
      return reader.problem();
    default:
      return {};
  }
}

// How many more bytes than a file holds a log's first record may announce and
// still be taken for a log cut short.
constexpr std::uint64_t kLargestShortfall = 64ull << 20;

std::string notAProfilingLog(const Frame& frame, std::uint64_t fileSize) {
  bool plausible = frame.length >= kSmallestRecord && frame.length < profiling::kMaxRecordSize;
  // A record cut before its root offset cannot be judged by it.
  if (plausible && frame.bytes.size() >= sizeof(flatbuffers::uoffset_t)) {
    const auto rootOffset = flatbuffers::ReadScalar<flatbuffers::uoffset_t>(frame.bytes.data());
    plausible = rootOffset >= sizeof(flatbuffers::uoffset_t) &&
                rootOffset <= frame.length - sizeof(flatbuffers::soffset_t);
  }
  // A log cut short by a crashed run misses the end of a record, not hundreds of
  // megabytes: the first four bytes of a text file (JSON, CSV) read as a length
  // of that order.
  if (plausible && fileSize != 0 && frame.length > fileSize + kLargestShortfall) plausible = false;
  if (plausible) return {};
  std::string text = "not a profiling log: the first record does not verify and its length prefix, " +
                     std::to_string(frame.length) + " bytes, is implausible";
  if (fileSize != 0) text += " for a file of " + std::to_string(fileSize) + " bytes";
  return text;
}

std::string badFrameText(const Frame& frame, FrameStatus status, const std::string& problem,
                         std::uint64_t fileSize) {
  if (frame.index == 0 && status != FrameStatus::ReadError) {
    std::string notALog = notAProfilingLog(frame, fileSize);
    if (!notALog.empty()) return notALog;
  }
  return "record " + std::to_string(frame.index) + " at byte offset " + std::to_string(frame.offset) + ": " +
         problem;
}

std::optional<BadRecord> findFirstBadRecord(const std::string& path, std::string& openProblem) {
  LogFrameReader reader;
  if (!reader.open(path)) {
    openProblem = reader.problem();
    return std::nullopt;
  }
  Frame frame;
  for (;;) {
    const FrameStatus status = reader.next(frame);
    if (status == FrameStatus::End || status == FrameStatus::StrayBytes) return std::nullopt;
    std::string reason = status == FrameStatus::Frame
                             ? recordProblem(frame.bytes.data(), frame.bytes.size())
                             : frameProblem(status, frame, reader);
    if (reason.empty()) continue;
    BadRecord bad{frame.index, frame.offset, std::move(reason)};
    if (frame.index == 0 && status != FrameStatus::ReadError) {
      std::string notALog = notAProfilingLog(frame, reader.fileSize());
      bad.notALog = !notALog.empty();
      if (bad.notALog) bad.reason = std::move(notALog);
    }
    return bad;
  }
}

std::string loadFailureText(const std::string& openProblem, const std::optional<BadRecord>& bad) {
  if (!openProblem.empty()) return openProblem;
  if (!bad) return "the reader could not load the log";
  if (bad->notALog) return bad->reason;
  return "the log could not be loaded: record " + std::to_string(bad->index) + " at byte offset " +
         std::to_string(bad->offset) + ": " + bad->reason;
}

std::string loadFailureText(const std::string& path) {
  std::string openProblem;
  const auto bad = findFirstBadRecord(path, openProblem);
  return loadFailureText(openProblem, bad);
}

}  // namespace vyn::tools
