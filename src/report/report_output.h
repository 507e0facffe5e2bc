// What both report drivers do with their two outputs: open the CSV export and
// pass the summary on to standard output as it is written.
#ifndef VYN_REPORT_REPORT_OUTPUT_H_
#define VYN_REPORT_REPORT_OUTPUT_H_

#include <cstddef>
#include <cstdio>
#include <fstream>
#include <ios>
#include <ostream>
#include <string>

#include "base/text_buffer.h"
#include "report/stream_buffers.h"

namespace vyn::profiling {

// Opens the CSV export at path with mode. An empty path opens nothing and
// succeeds. A file that cannot be opened, and a path that names the log being
// read (logPath), which the export must never truncate or extend, is logged at
// ERROR level with failureFormat and the path, and gives false.
bool openCsvExport(std::ofstream& file, const std::string& path, std::ios::openmode mode, const std::string& logPath,
                   const char* failureFormat);

// The text of a report on its way to a file, in blocks of bounded size: the
// report is never held whole in memory.
inline constexpr std::size_t kReportTextBlock = 256 * 1024;
inline constexpr std::size_t kReportStreamBlock = 1 << 20;

// The summary: standard output, flushed when the output goes away.
class SummaryOutput {
 public:
  SummaryOutput() = default;
  SummaryOutput(const SummaryOutput&) = delete;
  SummaryOutput& operator=(const SummaryOutput&) = delete;

  base::TextBuffer& text() { return text_; }

 private:
  BlockStreamBuf buffer_{stdout, kReportStreamBlock};
  std::ostream stream_{&buffer_};
  base::TextBuffer text_{stream_, kReportTextBlock};
};

// The CSV export, into an opened file.
class CsvOutput {
 public:
  explicit CsvOutput(std::ofstream& file) : file_(file) {}
  CsvOutput(const CsvOutput&) = delete;
  CsvOutput& operator=(const CsvOutput&) = delete;

  base::TextBuffer& text() { return text_; }
  // Hands everything on and closes the file; write and close failures are not reported.
  void close() {
    text_.flush();
    stream_.flush();
    file_.close();
  }

 private:
  std::ofstream& file_;
  BlockStreamBuf buffer_{*file_.rdbuf(), kReportStreamBlock};
  std::ostream stream_{&buffer_};
  base::TextBuffer text_{stream_, kReportTextBlock};
};

}  // namespace vyn::profiling

#endif  // VYN_REPORT_REPORT_OUTPUT_H_
