// Which part of a record that does not verify fails: the closer look behind
// RecordFaultKind::Malformed, taken only once a record has been refused.
#include <optional>
#include <string>

#include "format/record_format.h"

namespace vyn::profiling {
namespace {

using flatbuffers::Table;

// The generated tables derive privately from flatbuffers::Table.
template <typename GeneratedTable>
const Table* asTable(const GeneratedTable* table) {
  return reinterpret_cast<const Table*>(table);
}

// Where a walk over the record in the verifier's own order first failed.
struct WalkFault {
  std::string part;                    // set for faults outside the messages
  std::optional<std::size_t> message;  // set for a fault inside message *message
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

// What is wrong with a message that fails even without the depth and table limits.
std::string malformedMessage(const std::uint8_t* bytes, std::size_t size, std::size_t index,
                             const flatbuffers::Verifier::Options& options) {
  const std::string which = "message " + std::to_string(index);
  const auto* message =
      flatbuffers::GetRoot<fb::ProfileLogRecord>(bytes)->messages()->Get(static_cast<flatbuffers::uoffset_t>(index));
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

RecordFault malformed(std::string words, std::optional<std::size_t> message = std::nullopt) {
  return RecordFault{RecordFaultKind::Malformed, message, std::move(words)};
}

}  // namespace

RecordFault diagnoseMalformedRecord(const std::uint8_t* bytes, std::size_t size) {
  if (size == 0) return malformed("empty record (length prefix 0)");
  if (size < kSmallestRecordSize) {
    return malformed("record of " + std::to_string(size) + " bytes is too short to hold a record");
  }
  const auto rootOffset = flatbuffers::ReadScalar<flatbuffers::uoffset_t>(bytes);
  if (rootOffset == 0 || rootOffset >= size) {
    return malformed("root offset " + std::to_string(rootOffset) + " points outside the record");
  }

  // Lift the limits one by one: a fault that remains without any is in the
  // bytes themselves; one that goes with the depth limit is nesting; one that
  // goes with the table limit is tables shared between parents.
  const auto strict = recordVerifierOptions(size);
  auto anyTables = strict;
  anyTables.max_tables = 0xFFFFFFFF;
  auto unlimited = anyTables;
  unlimited.max_depth = 1u << 30;
  if (const auto fault = walk(bytes, size, unlimited)) {
    if (fault->message) return malformed(malformedMessage(bytes, size, *fault->message, unlimited), fault->message);
    return malformed(fault->part);
  }
  if (const auto fault = walk(bytes, size, anyTables)) {
    if (fault->message) {
      return malformed("the events of message " + std::to_string(*fault->message) +
                           " nest deeper than the verifier's limit of " + std::to_string(strict.max_depth) + " tables",
                       fault->message);
    }
    return malformed(fault->part + " (nested too deep)");
  }
  // What the walk cannot place: the library's verifier checks more than the walk.
  if (!walk(bytes, size, strict)) return malformed("the record does not verify against the log schema");
  return malformed("its tables are shared between parents: verifying it would visit more than " +
                   std::to_string(strict.max_tables) + " tables, more than its " + std::to_string(size) +
                   " bytes can hold");
}

}  // namespace vyn::profiling
