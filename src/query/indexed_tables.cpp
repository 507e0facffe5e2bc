#include "query/indexed_tables.h"

#include "query/fleet_schema.h"
#include "query/index_plan.h"
#include "query/sql_values.h"

namespace vyn::query {

std::string IndexedTable::declaration() const { return tableDeclaration(fleetTable(name_), "x", false); }

int IndexedTable::bestIndex(sqlite3_index_info& info) const {
  const double rows = static_cast<double>(rowCount());
  const double logs = static_cast<double>(fleet_.logs().size() == 0 ? 1 : fleet_.logs().size());
  const double graphs = static_cast<double>(fleet_.graphs().size() == 0 ? 1 : fleet_.graphs().size());
  const KeyColumn log{1, kLogPlan, rows / logs};
  // The log table's log_id is not a column; the id key stands for it.
  if (name_ == "log") return chooseKeyPlan(info, {{-1, kIdPlan, 1}, {0, kIdPlan, 1}}, rows);
  if (hasGraphKey()) {
    return chooseKeyPlan(info, {{-1, kIdPlan, 1}, {0, kIdPlan, 1}, log, {2, kGraphPlan, rows / graphs}}, rows);
  }
  return chooseKeyPlan(info, {{-1, kIdPlan, 1}, {0, kIdPlan, 1}, log}, rows);
}

int IndexedTable::Cursor::filter(int plan, int argc, sqlite3_value** argv) {
  at_ = 0;
  rows_ = RowSet{nullptr, 0, table_.rowCount()};
  if (plan == kScanPlan) return SQLITE_OK;
  rows_.end = 0;
  if (argc < 1) return SQLITE_OK;
  const std::optional<std::int64_t> id = wholeNumber(argv[0]);
  if (!id || *id < 1) return SQLITE_OK;
  const auto value = static_cast<std::uint64_t>(*id);
  if (plan == kIdPlan) {
    if (value <= table_.rowCount()) rows_ = RowSet{nullptr, value - 1, value};
  } else {
    rows_ = table_.rowsOf(plan, value);
  }
  at_ = rows_.begin;
  return SQLITE_OK;
}

RowSet LogTable::rowsOf(int, std::uint64_t) const { return {}; }

void LogTable::column(sqlite3_context* context, std::size_t row, int column) const {
  const FleetLog& log = fleet_.logs()[row];
  const std::optional<profiling::LogHeaderInfo>& header = log.log->model.header;
  if (column >= 5 && !header) return;  // no header: its columns are NULL
  switch (column) {
    case 0:
      return sqlite3_result_int64(context, static_cast<sqlite3_int64>(row) + 1);
    case 1:
      return resultLastingText(context, log.log->path);
    case 2:
      if (log.facts.bytes) resultUnsigned(context, *log.facts.bytes);
      return;
    case 3:
      if (log.facts.records) resultUnsigned(context, *log.facts.records);
      return;
    case 4:
      return sqlite3_result_int(context, log.facts.complete ? 1 : 0);
    case 5:
      return sqlite3_result_double(context, singleAsDouble(header->timeScale));
    case 6:
      return resultUnsigned(context, header->epochTimestamp);
    case 7:
      return resultUnsigned(context, header->steadyClockTimestamp);
    case 8:
      return resultLastingText(context, header->generatorName);
    case 9:
      return resultLastingText(context, header->generatorVersion);
    case 10:
      return resultLastingText(context, header->backendVersion);
    case 11:
      return sqlite3_result_int(context, header->generatedByUpdater ? 1 : 0);
    default:
      return;
  }
}

RowSet GraphTable::rowsOf(int plan, std::uint64_t value) const {
  if (plan != kLogPlan || value > fleet_.logs().size()) return {};
  const FleetLog& log = fleet_.logs()[value - 1];
  return {nullptr, log.firstGraph, log.graphEnd};
}

void GraphTable::column(sqlite3_context* context, std::size_t row, int column) const {
  const FleetGraph& graph = fleet_.graphs()[row];
  switch (column) {
    case 0:
      return sqlite3_result_int64(context, static_cast<sqlite3_int64>(row) + 1);
    case 1:
      return sqlite3_result_int64(context, static_cast<sqlite3_int64>(graph.log) + 1);
    case 2:
      return resultLastingText(context, graph.name);
    default:
      return;
  }
}

RowSet OccurrenceTable::rowsOf(int plan, std::uint64_t value) const {
  if (plan == kLogPlan && value <= fleet_.logs().size()) {
    const FleetLog& log = fleet_.logs()[value - 1];
    return {nullptr, log.firstOccurrence, log.occurrenceEnd};
  }
  if (plan == kGraphPlan && value <= fleet_.graphs().size()) {
    const std::vector<std::uint32_t>& rows = fleet_.graphs()[value - 1].occurrences;
    return {&rows, 0, rows.size()};
  }
  return {};
}

void OccurrenceTable::column(sqlite3_context* context, std::size_t row, int column) const {
  const FleetOccurrence& occurrence = fleet_.occurrences()[row];
  switch (column) {
    case 0:
      return sqlite3_result_int64(context, static_cast<sqlite3_int64>(row) + 1);
    case 1:
      return sqlite3_result_int64(context, static_cast<sqlite3_int64>(occurrence.log) + 1);
    case 2:
      if (occurrence.graph != kNoGraph) sqlite3_result_int64(context, sqlite3_int64{occurrence.graph} + 1);
      return;
    case 3:
      return resultLastingText(context, occurrence.phase);
    case 4:
      return resultUnsigned(context, occurrence.occurrence);
    case 5:
      return resultUnsigned(context, occurrence.timestamp);
    case 6:
      return resultUnsigned(context, occurrence.duration);
    case 7:
      if (occurrence.queueWait) resultUnsigned(context, *occurrence.queueWait);
      return;
    default:
      return;
  }
}

}  // namespace vyn::query
