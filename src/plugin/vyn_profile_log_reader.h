// The generic profiling-log reader: the reader interface over a loaded log's
// model. Loading goes format -> capture -> statistics; the reports read the
// model and its statistics, and the generic report writes its CSV event rows
// through this reader's printEvent, so that a reader deriving from it writes
// them its way.
#ifndef VYN_PLUGIN_VYN_PROFILE_LOG_READER_H_
#define VYN_PLUGIN_VYN_PROFILE_LOG_READER_H_

#include <cstdint>
#include <ostream>
#include <string>
#include <utility>
#include <vector>

#include "capture/log_capture.h"
#include "capture/log_file_capture.h"
#include "format/load_outcome.h"
#include "format/record_cursor.h"
#include "model/log_model.h"
#include "report/data_file_writer.h"
#include "report/report_input.h"
#include "stats/statistics.h"
#include "vyn/profiling/profile_log_reader.h"

namespace vyn::profiling {

class VynProfileLogReader : public IVynProfileLogReader<VisibilityLevel> {
 public:
  VynProfileLogReader(const std::string& inputLogPath, VisibilityLevel visibilityLevel);
  ~VynProfileLogReader() override;
  VynProfileLogReader(const VynProfileLogReader&) = delete;
  VynProfileLogReader& operator=(const VynProfileLogReader&) = delete;

  // Interface operations, in the interface's order.
  bool writeReport(const std::string& outputPath) override;
  std::string getHeaderReport() override;
  bool processNextMessage() override;
  bool loadLog(bool writeDataFiles) override;
  bool isSupported() override { return true; }
  // Every reader prints its trees this way, its reports included.
  void writeEventTree(std::ostream& out, const std::vector<ProfileEvent>& events, std::uint64_t depth) final;
  void printEvent(std::ostream& out, const std::vector<ProfileEvent>& events, std::uint64_t messageTimestamp,
                  const std::string& messageLabel, std::uint64_t depth) override;

  // Told after each record that loadLog takes; for hosts linked with the reader
  // that show how far a long load has come.
  void setLoadProgress(LoadProgress progress) { progress_ = std::move(progress); }

  // The loaded log and its statistics, for the reports (and the tests) to read.
  const LogModel& model() const { return model_; }
  // What the last loadLog came to: the records it took and, when it failed, why.
  const LoadOutcome& loadOutcome() const { return loadOutcome_; }
  const Statistics& statistics() const { return statistics_; }

 protected:
  // What a report reads.
  ReportInput reportInput();

 private:
  const std::string inputLogPath_;
  LogModel model_;
  LogCapture capture_;
  Statistics statistics_;
  RecordCursor cursor_;  // on the record being loaded
  bool endOfRecord_ = false;
  bool writeDataFiles_ = false;
  DataFileWriter dataFiles_;
  LoadProgress progress_;
  LoadOutcome loadOutcome_;
};

}  // namespace vyn::profiling

#endif  // VYN_PLUGIN_VYN_PROFILE_LOG_READER_H_
