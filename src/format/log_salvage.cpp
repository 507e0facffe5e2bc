#include "format/log_salvage.h"

#include <optional>
#include <utility>

namespace vyn::profiling {
namespace {

// A fault after which nothing can be said about the rest of the log.
bool unreadable(const LogFault& fault) {
  return fault.kind == LogFaultKind::ReadError || fault.kind == LogFaultKind::OutOfMemory;
}

}  // namespace

bool LogSalvage::open(const std::string& path) {
  if (!scanner_.open(path)) {
    finished_ = true;
    problem_ = scanner_.fault().text();
    return false;
  }
  // A pipe cannot be searched (nor opened again: its writer may be gone);
  // its walk stops at the first bad frame.
  searchable_ = scanner_.fileSize() > 0 && resync_.open(path);
  return true;
}

LogSalvage::Step LogSalvage::next() {
  if (finished_) return Step::End;
  switch (scanner_.next()) {
    case LogScanner::Step::Record:
      return Step::Record;
    case LogScanner::Step::End:
      finished_ = true;
      if (scanner_.strayBytes() == 0) return Step::End;
      dropped_ = {scanner_.position() - scanner_.strayBytes(), scanner_.position(),
                  "stray bytes after the last record (readers ignore them)"};
      return Step::Dropped;
    case LogScanner::Step::Fault:
      break;
  }
  if (unreadable(scanner_.fault())) return fail(scanner_.fault().words);
  return resume();
}

LogSalvage::Step LogSalvage::resume() {
  const LogFault fault = scanner_.fault();
  if (!searchable_) return dropTheRest(fault);
  std::optional<std::uint64_t> next;
  // A byte damaged inside a record leaves its length prefix intact: the next
  // frame starts where it says.
  if (fault.recordRefused() && resync_.chainStartsAt(scanner_.position())) next = scanner_.position();
  if (!next && resync_.problem().empty()) next = resync_.findChain(fault.offset + 1);
  if (!resync_.problem().empty()) return fail(resync_.problem());
  // "not a profiling log" only when nothing after the first frame is a record.
  dropped_ = {fault.offset, next ? *next : resync_.fileSize(), next ? fault.located() : fault.text()};
  if (!next && !resync_.stoppedShort().empty()) dropped_.why += "; " + resync_.stoppedShort();
  if (!next) {
    finished_ = true;
  } else if (!scanner_.restartAt(*next)) {
    return fail(scanner_.fault().words);
  }
  return Step::Dropped;
}

LogSalvage::Step LogSalvage::dropTheRest(const LogFault& fault) {
  LogScanner::Step step = LogScanner::Step::Fault;
  while (step == LogScanner::Step::Record || (step == LogScanner::Step::Fault && scanner_.fault().recordRefused())) {
    step = scanner_.next();
  }
  if (step == LogScanner::Step::Fault && unreadable(scanner_.fault())) return fail(scanner_.fault().words);
  finished_ = true;
  dropped_ = {fault.offset, scanner_.position(), fault.text()};
  return Step::Dropped;
}

LogSalvage::Step LogSalvage::fail(std::string problem) {
  finished_ = true;
  problem_ = std::move(problem);
  return Step::Failed;
}

}  // namespace vyn::profiling
