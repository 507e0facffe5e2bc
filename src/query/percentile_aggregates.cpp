#include "query/percentile_aggregates.h"

#include <cmath>
#include <new>
#include <string>
#include <vector>

#include "stats/sample_summary.h"

namespace vyn::query {
namespace {

// A group's samples, in the aggregate context SQLite keeps (zeroed at first).
struct Samples {
  std::vector<double>* values;
  double p;
  bool hasP;
  bool failed;
};

Samples* samplesOf(sqlite3_context* context) {
  auto* samples = static_cast<Samples*>(sqlite3_aggregate_context(context, sizeof(Samples)));
  if (samples != nullptr && samples->values == nullptr && !samples->failed) {
    samples->values = new (std::nothrow) std::vector<double>();
    if (samples->values == nullptr) {
      sqlite3_result_error_nomem(context);
      return nullptr;
    }
  }
  return samples;
}

void fail(sqlite3_context* context, Samples& samples, const std::string& message) {
  samples.failed = true;
  sqlite3_result_error(context, message.c_str(), -1);
}

// Adds x to the group; false (with the error set) when x is not a number.
bool addSample(sqlite3_context* context, Samples& samples, const char* function, sqlite3_value* x) {
  switch (sqlite3_value_numeric_type(x)) {
    case SQLITE_NULL:
      return true;
    case SQLITE_INTEGER:
    case SQLITE_FLOAT:
      try {
        samples.values->push_back(sqlite3_value_double(x));
      } catch (const std::bad_alloc&) {
        samples.failed = true;
        sqlite3_result_error_nomem(context);
        return false;
      }
      return true;
    default:
      fail(context, samples, std::string(function) + "(): the values must be numbers, not text or blobs");
      return false;
  }
}

void percentileStep(sqlite3_context* context, int, sqlite3_value** argv) {
  Samples* samples = samplesOf(context);
  if (samples == nullptr || samples->failed) return;
  const int type = sqlite3_value_numeric_type(argv[1]);
  const double p = sqlite3_value_double(argv[1]);
  if ((type != SQLITE_INTEGER && type != SQLITE_FLOAT) || !(p >= 0 && p <= 100)) {
    fail(context, *samples, "percentile(x, p): p must be a number from 0 to 100");
    return;
  }
  if (samples->hasP && samples->p != p) {
    fail(context, *samples, "percentile(x, p): p must be the same for every row of a group");
    return;
  }
  samples->p = p;
  samples->hasP = true;
  addSample(context, *samples, "percentile", argv[0]);
}

void medianStep(sqlite3_context* context, int, sqlite3_value** argv) {
  Samples* samples = samplesOf(context);
  if (samples == nullptr || samples->failed) return;
  samples->p = 50;
  samples->hasP = true;
  addSample(context, *samples, "median", argv[0]);
}

void percentileFinal(sqlite3_context* context) {
  auto* samples = static_cast<Samples*>(sqlite3_aggregate_context(context, 0));
  if (samples == nullptr) return;  // no rows: NULL
  if (!samples->failed && samples->values != nullptr && !samples->values->empty()) {
    sqlite3_result_double(context, profiling::percentile(*samples->values, samples->p));
  }
  delete samples->values;
  samples->values = nullptr;
}

}  // namespace

int registerPercentileAggregates(sqlite3* db) {
  const int flags = SQLITE_UTF8 | SQLITE_DETERMINISTIC;
  int status = sqlite3_create_function_v2(db, "percentile", 2, flags, nullptr, nullptr, percentileStep, percentileFinal,
                                          nullptr);
  if (status != SQLITE_OK) return status;
  status = sqlite3_create_function_v2(db, "median", 1, flags, nullptr, nullptr, medianStep, percentileFinal, nullptr);
  return status;
}

}  // namespace vyn::query
