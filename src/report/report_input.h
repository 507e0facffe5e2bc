// What every report reads: the loaded log, its statistics, the log's path, and
// where data files go when they are wanted.
#ifndef VYN_REPORT_REPORT_INPUT_H_
#define VYN_REPORT_REPORT_INPUT_H_

#include <string>

#include "model/log_model.h"
#include "report/data_file_writer.h"
#include "stats/statistics.h"

namespace vyn::profiling {

struct ReportInput {
  const LogModel& model;
  const Statistics& statistics;
  const std::string& inputLogPath;
  // Saves the bytes of object-valued events; null when the load did not ask for it.
  DataFileWriter* dataFiles = nullptr;
};

}  // namespace vyn::profiling

#endif  // VYN_REPORT_REPORT_INPUT_H_
