// The whole of `export`: a log's phase occurrences and events as tidy rows in
// CSV or JSON Lines, or its executions as collapsed stacks, written to an open
// output (docs/export-format.md).
#ifndef VYN_ANALYSIS_EXPORT_WRITER_H_
#define VYN_ANALYSIS_EXPORT_WRITER_H_

#include "base/output_file.h"
#include "model/log_model.h"
#include "stats/statistics.h"

namespace vyn::tools {

// Csv and Jsonl: tidy rows; Folded: collapsed stacks of the executions;
// Sqlite: a database, which query/database_export.h writes (not writeExport).
enum class ExportFormat { Csv, Jsonl, Folded, Sqlite };

// Writes every row or stack to output, which the caller closes. Rows going to
// a file show, on a terminal, how far the write has come.
void writeExport(const profiling::LogModel& model, const profiling::Statistics& statistics, ExportFormat format,
                 base::OutputFile& output);

}  // namespace vyn::tools

#endif  // VYN_ANALYSIS_EXPORT_WRITER_H_
