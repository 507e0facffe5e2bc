// The order of the export: every phase a loaded log holds, each occurrence
// followed by its events in pre-order.
#ifndef VYN_ANALYSIS_EXPORT_WALK_H_
#define VYN_ANALYSIS_EXPORT_WALK_H_

#include "analysis/export_row.h"
#include "model/log_model.h"

namespace vyn::tools {

// Hands sink the rows of model, phase by phase in this order: init,
// context_creation, library_load, compose, finalize, execute, execute_overall,
// apply_binary_section, tensor_update, update_binary_section,
// context_get_binary_size, context_get_binary, context_get_binary_section_size,
// deinit. Graph phases go graph by graph in order of first appearance, each
// graph's calls in message order. A phase that happens once is left out when
// the log gave it nothing (no duration, name or events). Stops early when the
// sink is no longer healthy.
void walkExportRows(const profiling::LogModel& model, ExportRowSink& sink);

// Where the occurrences alone go, in the same order and with the same keys as
// their rows: each with its row's columns and the occurrence itself, whose span
// holds its events.
class ExportOccurrenceSink {
 public:
  virtual ~ExportOccurrenceSink() = default;
  virtual void occurrence(const OccurrenceColumns& key, const profiling::Occurrence& occurrence) = 0;
};

// Hands sink every occurrence that walkExportRows writes a row for, without
// walking their events.
void walkExportOccurrences(const profiling::LogModel& model, ExportOccurrenceSink& sink);

}  // namespace vyn::tools

#endif  // VYN_ANALYSIS_EXPORT_WALK_H_
