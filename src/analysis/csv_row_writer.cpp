#include "analysis/csv_row_writer.h"

#include "base/csv_field.h"
#include "base/number_text.h"
#include "model/text_pool.h"

namespace vyn::tools {
namespace {

constexpr std::string_view kHeader =
    "graph,phase,occurrence,timestamp_us,duration_us,event_path,depth,identifier,value,unit,text\n";

}  // namespace

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

  out_.text(key_).number(row.duration).text(",,,,,,");
  out_.endLine();
}

void CsvRowWriter::event(const EventColumns& row) {
  out_.text(key_).character(',');
  // The walk knows whether a path needs quotes; a text is looked at here.
  row.pathHasSeparators ? out_.csvField(row.path) : out_.text(row.path);
  out_.character(',').number(row.depth).character(',').number(std::uint64_t{row.identifier}).character(',');
  appendExportNumber(out_, row.value);
  out_.character(',').text(row.unit).character(',');
  if (row.hasText) out_.csvField(row.text);
  out_.endLine();
}

}  // namespace vyn::tools
