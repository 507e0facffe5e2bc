#include "analysis/jsonl_row_writer.h"

#include "base/json_text.h"
#include "base/number_text.h"

namespace vyn::tools {
void JsonlRowWriter::string(std::string_view text) {
  if (base::plainJsonPrefix(text) == text.size()) {
    out_.character('"').text(text).character('"');
    return;
  }
  escaped_.clear();
  base::appendJsonString(escaped_, text);
  out_.text(escaped_);
}

void JsonlRowWriter::occurrence(const OccurrenceColumns& row) {
  key_.assign("{\"graph\":");
  if (row.hasGraph) {
    base::appendJsonString(key_, row.graph);
  } else {
    key_.append("null");
  }
  key_.append(",\"phase\":");
  base::appendJsonString(key_, row.phase);
  key_.append(",\"occurrence\":");
  base::appendNumber(key_, row.occurrence);
  key_.append(",\"timestamp_us\":");
  base::appendNumber(key_, row.timestamp);
  key_.append(",\"duration_us\":");

  out_.text(key_)
      .number(row.duration)
      .text(
          ",\"event_path\":null,\"depth\":null,\"identifier\":null,\"value\":null,\"unit\":null,"
          "\"text\":null}");
  out_.endLine();
}

void JsonlRowWriter::event(const EventColumns& row) {
  out_.text(key_).text("null,\"event_path\":");
  string(row.path);
  out_.text(",\"depth\":").number(row.depth).text(",\"identifier\":").number(std::uint64_t{row.identifier});
  out_.text(",\"value\":");
  if (!appendExportNumber(out_, row.value)) out_.text("null");
  out_.text(",\"unit\":");
  string(row.unit);
  out_.text(",\"text\":");
  if (row.hasText) {
    string(row.text);
  } else {
    out_.text("null");
  }
  out_.character('}');
  out_.endLine();
}

}  // namespace vyn::tools
