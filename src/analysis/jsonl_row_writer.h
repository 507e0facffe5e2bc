// The export as JSON Lines: one object per row, with the keys of the CSV
// columns in the same order; a cell with no value is null.
#ifndef VYN_ANALYSIS_JSONL_ROW_WRITER_H_
#define VYN_ANALYSIS_JSONL_ROW_WRITER_H_

#include <string>
#include <string_view>

#include "analysis/export_row.h"
#include "base/text_buffer.h"

namespace vyn::tools {

class JsonlRowWriter : public ExportRowSink {
 public:
  explicit JsonlRowWriter(base::TextBuffer& out) : out_(out) {}

  void occurrence(const OccurrenceColumns& row) override;
  void event(const EventColumns& row) override;
  bool healthy() const override { return out_.healthy(); }

 private:
  void string(std::string_view text);

  base::TextBuffer& out_;
  // The members from "graph" to "timestamp_us" of the current occurrence, and
  // the "duration_us" key, which every event row below it repeats.
  std::string key_;
  std::string escaped_;  // a text that needed escaping, escaped
};

}  // namespace vyn::tools

#endif  // VYN_ANALYSIS_JSONL_ROW_WRITER_H_
