#include "query/event_table.h"

#include "model/backend_identifiers.h"
#include "query/fleet_schema.h"
#include "query/index_plan.h"
#include "query/sql_values.h"

namespace vyn::query {
namespace {

enum Plan : int { kScan = kScanPlan, kById, kByParent, kByOccurrence, kByLog };

enum Column : int {
  kId,
  kLogId,
  kOccurrenceId,
  kParentId,
  kDepth,
  kName,
  kPath,
  kIdentifier,
  kKind,
  kValue,
  kUnit,
  kText
};

double atLeastOne(std::size_t count) { return count == 0 ? 1.0 : static_cast<double>(count); }

}  // namespace

std::string_view eventValueKind(const profiling::EventItem& item, const profiling::EventRow& row) {
  if (item.identifier == profiling::backend::kHardwareUnits) return "units";
  switch (row.type) {
    case profiling::ValueType::Int64:
      return "signed";
    case profiling::ValueType::UInt64:
      return "unsigned";
    case profiling::ValueType::Float32:
      return "single";
    case profiling::ValueType::Float64:
      return "double";
    case profiling::ValueType::Text:
      return "text";
    case profiling::ValueType::None:
      break;
  }
  return item.bytes.data != nullptr ? "object" : "none";
}

std::string EventTable::declaration() const { return tableDeclaration(fleetTable("event"), "x", false); }

int EventTable::bestIndex(sqlite3_index_info& info) const {
  const double events = static_cast<double>(fleet_.eventCount());
  return chooseKeyPlan(info,
                       {{-1, kById, 1},
                        {kId, kById, 1},
                        {kParentId, kByParent, 8},
                        {kOccurrenceId, kByOccurrence, events / atLeastOne(fleet_.occurrences().size())},
                        {kLogId, kByLog, events / atLeastOne(fleet_.logs().size())}},
                       events);
}

int EventTable::Cursor::filter(int plan, int argc, sqlite3_value** argv) {
  if (plan == kScan) {
    walk_.startOccurrences(0, static_cast<std::uint32_t>(fleet_.occurrences().size()));
    return SQLITE_OK;
  }
  walk_.startOccurrences(0, 0);  // nothing, unless the key names something
  const std::optional<std::int64_t> key = argc < 1 ? std::nullopt : wholeNumber(argv[0]);
  if (!key || *key < 1) return SQLITE_OK;
  const auto index = static_cast<std::uint64_t>(*key) - 1;
  switch (plan) {
    case kById:
      walk_.startEvent(index);
      break;
    case kByParent:
      walk_.startChildren(index);
      break;
    case kByOccurrence:
      if (index < fleet_.occurrences().size()) {
        const auto occurrence = static_cast<std::uint32_t>(index);
        walk_.startOccurrences(occurrence, occurrence + 1);
      }
      break;
    case kByLog:
      if (index < fleet_.logs().size()) {
        const FleetLog& log = fleet_.logs()[index];
        walk_.startOccurrences(log.firstOccurrence, log.occurrenceEnd);
      }
      break;
    default:
      break;
  }
  return SQLITE_OK;
}

int EventTable::Cursor::column(sqlite3_context* context, int column) {
  switch (column) {
    case kId:
      resultUnsigned(context, walk_.id());
      break;
    case kLogId:
      sqlite3_result_int64(context, sqlite3_int64{walk_.log()} + 1);
      break;
    case kOccurrenceId:
      sqlite3_result_int64(context, sqlite3_int64{walk_.occurrenceIndex()} + 1);
      break;
    case kParentId:
      if (walk_.parentId() != 0) resultUnsigned(context, walk_.parentId());
      break;
    case kDepth:
      resultUnsigned(context, walk_.depth());
      break;
    case kName:
      resultLastingText(context, walk_.name());
      break;
    case kPath:
      resultText(context, walk_.path());
      break;
    case kIdentifier:
      sqlite3_result_int64(context, walk_.row().identifier);
      break;
    case kKind:
      resultLastingText(context, eventValueKind(walk_.item(), walk_.row()));
      break;
    case kValue: {
      const tools::ExportNumber& value = walk_.cells().value;
      switch (value.kind) {
        case tools::ExportNumber::Kind::Signed:
          sqlite3_result_int64(context, value.signedNumber);
          break;
        case tools::ExportNumber::Kind::Unsigned:
          resultUnsigned(context, value.unsignedNumber);
          break;
        case tools::ExportNumber::Kind::Single:
          sqlite3_result_double(context, singleAsDouble(value.single));
          break;
        case tools::ExportNumber::Kind::Double:
          sqlite3_result_double(context, value.wide);
          break;
        case tools::ExportNumber::Kind::None:
          break;
      }
      break;
    }
    case kUnit:
      resultLastingText(context, walk_.cells().unit);
      break;
    case kText:
      if (walk_.cells().hasText) resultText(context, walk_.cells().text);
      break;
    default:
      break;
  }
  return SQLITE_OK;
}

}  // namespace vyn::query
