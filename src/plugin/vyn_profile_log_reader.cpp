#include "plugin/vyn_profile_log_reader.h"

#include <cstdio>
#include <ios>

#include "base/text_buffer.h"
#include "format/log_read_ahead.h"
#include "log/logger.h"
#include "plugin/interface_event_printer.h"
#include "report/event_printers.h"
#include "report/header_report.h"
#include "report/reports.h"

namespace vyn::profiling {

VynProfileLogReader::VynProfileLogReader(const std::string& inputLogPath, VisibilityLevel visibilityLevel)
    : inputLogPath_(inputLogPath), capture_(model_, static_cast<std::int8_t>(visibilityLevel)) {}

VynProfileLogReader::~VynProfileLogReader() = default;

bool VynProfileLogReader::writeReport(const std::string& outputPath) {
  InterfaceEventPrinter events(*this, writeDataFiles_ ? &dataFiles_ : nullptr);
  return writeGenericReport(reportInput(), events, outputPath);
}

std::string VynProfileLogReader::getHeaderReport() { return headerReport(model_.header, inputLogPath_); }

bool VynProfileLogReader::processNextMessage() {
  if (const fb::MethodMessage* message = cursor_.getNextMessage()) return capture_.dispatch(*message);
  endOfRecord_ = true;
  VYN_LOG_DEBUG("profiling::VynProfileLogReader reached EOF!");
  return false;
}

bool VynProfileLogReader::loadLog(bool writeDataFiles) {
  // The averages of an earlier load are taken over what that load left.
  statistics_.settleAverages(model_);
  loadOutcome_ = LoadOutcome();
  // One record's bytes at a time: everything that outlives a record is in the model.
  ReadAheadScanner scanner;
  LogScanner::Step step = scanner.open(inputLogPath_) ? scanner.next() : LogScanner::Step::Fault;
  for (; step == LogScanner::Step::Record; step = scanner.next()) {
    cursor_.attach(scanner.frame().bytes.data());
    if (!model_.header) capture_.captureHeader(cursor_.getHeader());
    endOfRecord_ = false;
    while (!endOfRecord_) processNextMessage();
    cursor_.release();
    ++loadOutcome_.records;
    if (progress_) progress_(scanner.position(), scanner.fileSize());
  }
  if (step == LogScanner::Step::Fault) {
    logLoadFault(scanner.fault(), scanner.frame(), inputLogPath_);
    loadOutcome_.fault = scanner.fault();
    return false;
  }
  writeDataFiles_ = writeDataFiles;
  std::string notices;
  appendStatistics(model_, statistics_, notices);
  if (!notices.empty()) {
    std::fwrite(notices.data(), 1, notices.size(), stdout);
    std::fflush(stdout);
  }
  return true;
}

void VynProfileLogReader::writeEventTree(std::ostream& out, const std::vector<ProfileEvent>& events,
                                         std::uint64_t depth) {
  base::TextBuffer lines(out);
  if (appendEventTree(lines, events, depth, writeDataFiles_ ? &dataFiles_ : nullptr)) {
    // The stream is left in fixed notation with precision 0, as the tree's
    // value lines leave it; the values themselves never depend on it.
    lines.flush();
    out.setf(std::ios::fixed, std::ios::floatfield);
    out.precision(0);
  }
}

void VynProfileLogReader::printEvent(std::ostream& out, const std::vector<ProfileEvent>& events,
                                     std::uint64_t messageTimestamp, const std::string& messageLabel, std::uint64_t) {
  base::TextBuffer rows(out);
  appendGenericEventRows(rows, events, messageTimestamp, messageLabel);
}

ReportInput VynProfileLogReader::reportInput() {
  return {model_, statistics_, inputLogPath_, writeDataFiles_ ? &dataFiles_ : nullptr};
}

}  // namespace vyn::profiling
