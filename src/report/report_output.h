// What both report drivers do with their two outputs: open the CSV export and
// hand the finished summary to standard output.
#ifndef VYN_REPORT_REPORT_OUTPUT_H_
#define VYN_REPORT_REPORT_OUTPUT_H_

#include <cstddef>
#include <fstream>
#include <ios>
#include <string>
#include <string_view>

namespace vyn::profiling {

// Blocks in which the CSV rows are handed to the file (see BlockStreamBuf).
inline constexpr std::size_t kCsvBlockSize = 1 << 20;

// Opens the CSV export at path with mode. An empty path opens nothing and
// succeeds; a file that cannot be opened is logged at ERROR level with
// failureFormat and the path, and gives false.
bool openCsvExport(std::ofstream& file, const std::string& path, std::ios::openmode mode,
                   const char* failureFormat);

// The summary reaches standard output as one block, never line by line, so it
// does not interleave with other output of the host.
void writeSummaryToStdout(std::string_view summary);

}  // namespace vyn::profiling

#endif  // VYN_REPORT_REPORT_OUTPUT_H_
