#include "common/record_problem.h"

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

// Message `index` failed where the whole record was verified; look at it alone
// to tell the common faults apart.
std::string messageProblem(const std::uint8_t* bytes, std::size_t size,
                           const fb::MethodMessage* message, std::size_t index) {
  const std::string which = "message " + std::to_string(index);
  flatbuffers::Verifier fresh(bytes, size, profiling::recordVerifierOptions());
  if (!asTable(message)->VerifyTableStart(fresh)) return which + " lies outside the record";
  if (!asTable(message)->CheckField(fb::MethodMessage::VT_TIMESTAMP)) {
    return which + " has no timestamp (a required field)";
  }
  if (!asTable(message)->CheckField(fb::MethodMessage::VT_TIMING)) {
    return which + " has no timing (a required field)";
  }
  auto relaxed = profiling::recordVerifierOptions();
  relaxed.max_depth = 1u << 30;
  flatbuffers::Verifier deep(bytes, size, relaxed);
  if (message->Verify(deep)) {
    return "the events of " + which + " nest deeper than the verifier's limit of " +
           std::to_string(profiling::recordVerifierOptions().max_depth) + " tables";
  }
  return which + " is malformed (a table, string or vector reaches outside the record)";
}

}  // namespace

std::string recordProblem(const std::uint8_t* bytes, std::size_t size) {
  if (profiling::verifyRecord(bytes, size)) return {};
  if (size == 0) return "empty record (length prefix 0)";
  if (size >= profiling::kMaxRecordSize) {
    return "record of " + std::to_string(size) + " bytes is larger than the verifier accepts";
  }
  if (size < kSmallestRecord) {
    return "record of " + std::to_string(size) + " bytes is too short to hold a record";
  }
  const auto rootOffset = flatbuffers::ReadScalar<flatbuffers::uoffset_t>(bytes);
  if (rootOffset == 0 || rootOffset >= size) {
    return "root offset " + std::to_string(rootOffset) + " points outside the record";
  }

  // Walk the record in the order the verifier does, so that the first part found
  // faulty is the one that made verification fail.
  flatbuffers::Verifier verifier(bytes, size, profiling::recordVerifierOptions());
  const auto* root = flatbuffers::GetRoot<fb::ProfileLogRecord>(bytes);
  if (!asTable(root)->VerifyTableStart(verifier)) return "the record's root table is malformed";
  if (!asTable(root)->VerifyOffset(verifier, fb::ProfileLogRecord::VT_HEADER) ||
      !verifier.VerifyTable(root->header())) {
    return "the log header is malformed";
  }
  if (!asTable(root)->VerifyOffset(verifier, fb::ProfileLogRecord::VT_MESSAGES) ||
      !verifier.VerifyVector(root->messages())) {
    return "the message vector reaches outside the record";
  }
  if (const auto* messages = root->messages()) {
    for (flatbuffers::uoffset_t i = 0; i < messages->size(); ++i) {
      if (!messages->Get(i)->Verify(verifier)) {
        return messageProblem(bytes, size, messages->Get(i), i);
      }
    }
  }
  return "the record does not verify against the log schema";
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
    if (!reason.empty()) return BadRecord{frame.index, frame.offset, std::move(reason)};
  }
}

}  // namespace vyn::tools
