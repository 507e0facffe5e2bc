#include "analysis/csv_row_writer.h"

#include "base/csv_field.h"
#include "base/number_text.h"
#include "model/text_pool.h"

namespace vyn::tools {
namespace {

constexpr std::string_view kHeader =
    "graph,phase,occurrence,timestamp_us,duration_us,event_path,depth,identifier,value,unit,text\n";

}  // namespace

void CsvRowWriter::field(std::string_view text, bool quoted) {
  if (!quoted) {
    out_.text(text);
    return;
  }
  quoted_.clear();
  base::appendQuotedCsvField(quoted_, text);
  out_.text(quoted_);
}

CsvRowWriter::CsvRowWriter(base::TextBuffer& out) : out_(out) { out_.text(kHeader); }

void CsvRowWriter::occurrence(const OccurrenceColumns& row) {
  key_.clear();
  if (row.hasGraph) {
    if (row.graphHasSeparators) {
      base::appendQuotedCsvField(key_, row.graph);
    } else {
      key_.append(row.graph);
    }
  }
  key_.push_back(',');
  key_.append(row.phase).push_back(',');
  base::appendNumber(key_, row.occurrence);
  key_.push_back(',');
  base::appendNumber(key_, row.timestamp);
  key_.push_back(',');

  out_.text(key_);
  out_.number(row.duration);
  out_.text(",,,,,,");
  out_.endLine();
}

void CsvRowWriter::event(const EventColumns& row) {
  out_.text(key_);
  out_.character(',');
  field(row.path, row.pathHasSeparators);
  out_.character(',');
  out_.number(row.depth);
  out_.character(',');
  out_.number(std::uint64_t{row.identifier});
  out_.character(',');
  appendExportNumber(out_, row.value);
  out_.character(',');
  out_.text(row.unit);
  out_.character(',');
  if (row.hasText) field(row.text, base::holdsCsvSeparators(row.text));
  out_.endLine();
}

}  // namespace vyn::tools
