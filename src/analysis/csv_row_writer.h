// The export as CSV: a header row, then one line per row, RFC 4180 quoting.
#ifndef VYN_ANALYSIS_CSV_ROW_WRITER_H_
#define VYN_ANALYSIS_CSV_ROW_WRITER_H_

#include <string>
#include <string_view>

#include "analysis/export_row.h"
#include "base/text_buffer.h"

namespace vyn::tools {

class CsvRowWriter : public ExportRowSink {
 public:
  // Writes the header row.
  explicit CsvRowWriter(base::TextBuffer& out);

  void occurrence(const OccurrenceColumns& row) override;
  void event(const EventColumns& row) override;
  bool healthy() const override { return out_.healthy(); }

 private:
  base::TextBuffer& out_;
  // "graph,phase,occurrence,timestamp_us," of the current occurrence, which
  // every event row below it repeats.
  std::string key_;
};

}  // namespace vyn::tools

#endif  // VYN_ANALYSIS_CSV_ROW_WRITER_H_
