// The JSON form of a comparison, as docs/diff.schema.json describes it: every
// figure a number in the unit its row names, figures that cannot be told null,
// every key in snake_case.
#include <cmath>
#include <nlohmann/json.hpp>

#include "analysis/diff_writers.h"
#include "analysis/log_extent_json.h"

namespace vyn::tools {
namespace {

using Json = nlohmann::ordered_json;

// JSON has no infinities and no NaN.
Json number(double value) { return std::isfinite(value) ? Json(value) : Json(nullptr); }

Json sideJson(const DiffRow& row, const std::optional<SideFigures>& side, TimeUnit timeUnit) {
  if (!side) return nullptr;
  Json json;
  json["count"] = side->count;
  json["median"] = number(inRowUnit(row, side->median, timeUnit));
  json["mean"] = number(inRowUnit(row, side->mean, timeUnit));
  json["p99"] = number(inRowUnit(row, side->p99, timeUnit));
  return json;
}

// The shift in the row's unit and in percent of the base median, with its
// interval; all null for a row of one log or with a sample that is not finite
// (a sum that overflowed), the interval's ends null when the samples do not
// bound it.
void addShift(Json& json, const DiffRow& row, TimeUnit timeUnit) {
  const bool estimated = row.shift && row.base && !std::isnan(row.shift->estimate);
  const profiling::ShiftEstimate* shift = estimated ? &*row.shift : nullptr;
  const bool bounded = shift != nullptr && shift->rank.k != 0;
  const auto inUnit = [&](double value) { return number(inRowUnit(row, value, timeUnit)); };
  const auto percent = [&](double value) { return number(shareOf(value, row.base->median) * 100.0); };
  json["shift"] = shift ? inUnit(shift->estimate) : Json(nullptr);
  json["shift_low"] = bounded ? inUnit(shift->low) : Json(nullptr);
  json["shift_high"] = bounded ? inUnit(shift->high) : Json(nullptr);
  json["shift_percent"] = shift ? percent(shift->estimate) : Json(nullptr);
  json["shift_low_percent"] = bounded ? percent(shift->low) : Json(nullptr);
  json["shift_high_percent"] = bounded ? percent(shift->high) : Json(nullptr);
  json["interval_method"] = shift ? Json(shift->rank.exact ? "exact" : "normal-approximation") : Json(nullptr);
}

Json rowJson(const DiffRow& row, TimeUnit timeUnit) {
  Json json;
  json["kind"] = row.execution ? "execution" : "event";
  json["path"] = row.execution ? Json(nullptr) : Json(row.path);
  json["unit"] = rowUnitName(row, timeUnit);
  json["base"] = sideJson(row, row.base, timeUnit);
  json["new"] = sideJson(row, row.next, timeUnit);
  json["change_percent"] = row.test ? number(row.change * 100.0) : Json(nullptr);
  json["u"] = row.test ? number(row.test->u) : Json(nullptr);
  json["p_value"] = row.test ? number(row.test->pValue) : Json(nullptr);
  json["p_value_method"] = row.test ? Json(row.test->exact ? "exact" : "normal-approximation") : Json(nullptr);
  json["p_adjusted"] = row.pAdjusted ? number(*row.pAdjusted) : Json(nullptr);
  addShift(json, row, timeUnit);
  json["verdict"] = verdictName(row.verdict);
  return json;
}

const char* statusName(GraphStatus status) {
  switch (status) {
    case GraphStatus::Added:
      return "added";
    case GraphStatus::Removed:
      return "removed";
    case GraphStatus::Emptied:
      return "emptied";
    default:
      return "compared";
  }
}

}  // namespace

std::string diffJson(const ProfileDiff& diff, const DiffOptions& options, const LogExtent& baseExtent,
                     const LogExtent& newExtent) {
  const TimeUnit timeUnit = diffTimeUnit(diff, options.unit);
  Json json;
  json["base"] = options.basePath;
  json["new"] = options.newPath;
  json["base_complete"] = baseExtent.complete();
  json["base_unreadable"] = unreadableJson(baseExtent);
  json["new_complete"] = newExtent.complete();
  json["new_unreadable"] = unreadableJson(newExtent);
  json["test"] = "mann-whitney-u";
  json["alternative"] = "two-sided";
  json["significance_level"] = kSignificanceLevel;
  json["correction"] = correctionName(diff.correction);
  json["correction_family"] = diff.family;
  json["fewest_executions"] = kFewestExecutions;
  json["confidence_level"] = 1 - kSignificanceLevel;
  json["threshold_percent"] = options.thresholdPercent;
  json["skip_first"] = options.skipFirst;
  json["time_unit"] = timeUnitName(timeUnit);
  Json graphs = Json::array();
  for (const GraphDiff& graph : diff.graphs) {
    Json rows = Json::array();
    for (const DiffRow& row : graph.rows) rows.push_back(rowJson(row, timeUnit));
    graphs.push_back({{"name", graph.name},
                      {"status", statusName(graph.status)},
                      {"emptied_by_skip_first", graph.emptiedBySkipFirst},
                      {"rows", std::move(rows)}});
  }
  json["graphs"] = std::move(graphs);
  json["summary"] = {{"slower", diff.counts.slower},      {"faster", diff.counts.faster},
                     {"no_change", diff.counts.noChange}, {"too_few_executions", diff.counts.tooFew},
                     {"added", diff.counts.added},        {"removed", diff.counts.removed}};
  // Names from a log need not be UTF-8; replace what is not.
  return json.dump(2, ' ', false, Json::error_handler_t::replace) + "\n";
}

}  // namespace vyn::tools
