#include "analysis/export_writer.h"

#include <optional>

#include "analysis/csv_row_writer.h"
#include "analysis/export_walk.h"
#include "analysis/folded_writer.h"
#include "analysis/jsonl_row_writer.h"
#include "analysis/write_meter.h"
#include "base/text_buffer.h"
#include "stats/execution_profile.h"

namespace vyn::tools {
namespace {

// Rows go to the file in writes of about a megabyte.
constexpr std::size_t kExportBlock = 1 << 20;

// The phase occurrences the walk hands out, give or take the few of the
// session: what the progress of a write is counted in.
std::uint64_t occurrenceCount(const profiling::LogModel& model) {
  std::uint64_t count =
      model.finalizations.size() + model.contextBinaryCalls.size() + model.contextSectionSizeCalls.size();
  for (const auto* series : {&model.executions, &model.sectionApplications, &model.tensorUpdates}) {
    for (const profiling::GraphSeries& graph : *series) count += graph.occurrences.size();
  }
  return count;
}

// Passes the rows on and shows, on a terminal, how far the write has come.
class MeteredRows : public ExportRowSink {
 public:
  MeteredRows(ExportRowSink& rows, const base::OutputFile& output, WriteMeter& meter)
      : rows_(rows), output_(output), meter_(meter) {}

  void occurrence(const OccurrenceColumns& row) override {
    meter_.update(++occurrences_, output_.bytesWritten());
    rows_.occurrence(row);
  }
  void event(const EventColumns& row) override { rows_.event(row); }
  bool healthy() const override { return rows_.healthy(); }

 private:
  ExportRowSink& rows_;
  const base::OutputFile& output_;
  WriteMeter& meter_;
  std::uint64_t occurrences_ = 0;
};

void writeRows(const profiling::LogModel& model, ExportFormat format, base::TextBuffer& text,
               const base::OutputFile& output) {
  std::optional<CsvRowWriter> csv;
  std::optional<JsonlRowWriter> jsonl;
  ExportRowSink* rows = nullptr;
  if (format == ExportFormat::Jsonl) {
    rows = &jsonl.emplace(text);
  } else {
    rows = &csv.emplace(text);
  }
  // Rows streaming to a terminal would be torn by a progress line redrawn in it.
  if (output.isTerminal()) return walkExportRows(model, *rows);
  WriteMeter meter(occurrenceCount(model));
  MeteredRows metered(*rows, output, meter);
  walkExportRows(model, metered);
  meter.finish();
}

}  // namespace

void writeExport(const profiling::LogModel& model, const profiling::Statistics& statistics, ExportFormat format,
                 base::OutputFile& output) {
  base::TextBuffer text(output, kExportBlock);
  if (format == ExportFormat::Folded) {
    // Every execution counts: the sums per execution add up to the totals.
    writeFoldedStacks(model, profiling::profileExecutions(model, statistics, 0, profiling::PathSamples::PerExecution),
                      text);
  } else {
    writeRows(model, format, text, output);
  }
  text.flush();
}

}  // namespace vyn::tools
