// The JSON form of a comparison, as docs/diff.schema.json describes it: every
// figure a number in the unit its row names, figures that cannot be told null.
#include <cmath>
#include <nlohmann/json.hpp>

#include "log/diff/diff_writers.h"

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

Json rowJson(const DiffRow& row, TimeUnit timeUnit) {
  Json json;
  json["kind"] = row.execution ? "execution" : "event";
  json["path"] = row.execution ? Json(nullptr) : Json(row.path);
  json["unit"] = rowUnitName(row, timeUnit);
  json["base"] = sideJson(row, row.base, timeUnit);
  json["new"] = sideJson(row, row.next, timeUnit);
  json["changePercent"] = row.test ? number(row.change * 100.0) : Json(nullptr);
  if (row.test) {
    json["u"] = number(row.test->u);
    json["pValue"] = number(row.test->pValue);
    json["pValueMethod"] = row.test->exact ? "exact" : "normal-approximation";
  } else {
    json["u"] = nullptr;
    json["pValue"] = nullptr;
    json["pValueMethod"] = nullptr;
  }
  json["verdict"] = verdictName(row.verdict);
  return json;
}

const char* presenceName(Verdict presence) {
  switch (presence) {
    case Verdict::Added: return "added";
    case Verdict::Removed: return "removed";
    default: return "compared";
  }
}

}  // namespace

std::string diffJson(const ProfileDiff& diff, const DiffOptions& options) {
  const TimeUnit timeUnit = diffTimeUnit(diff, options.unit);
  Json json;
  json["base"] = options.basePath;
  json["new"] = options.newPath;
  json["test"] = "mann-whitney-u";
  json["alternative"] = "two-sided";
  json["significanceLevel"] = kSignificanceLevel;
  json["thresholdPercent"] = options.thresholdPercent;
  json["skipFirst"] = options.skipFirst;
  json["timeUnit"] = timeUnitName(timeUnit);
  Json graphs = Json::array();
  for (const GraphDiff& graph : diff.graphs) {
    Json rows = Json::array();
    for (const DiffRow& row : graph.rows) rows.push_back(rowJson(row, timeUnit));
    graphs.push_back({{"name", graph.name},
                      {"status", presenceName(graph.presence)},
                      {"emptiedBySkipFirst", graph.emptiedBySkipFirst},
                      {"rows", std::move(rows)}});
  }
  json["graphs"] = std::move(graphs);
  json["summary"] = {{"slower", diff.counts.slower},
                     {"faster", diff.counts.faster},
                     {"noChange", diff.counts.noChange},
                     {"added", diff.counts.added},
                     {"removed", diff.counts.removed}};
  // Names from a log need not be UTF-8; replace what is not.
  return json.dump(2, ' ', false, Json::error_handler_t::replace) + "\n";
}

}  // namespace vyn::tools
