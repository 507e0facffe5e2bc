// The event table: every event of a fleet's occurrences in pre-order, read in
// place from the loaded models. A column's cell is made only when a query
// reads it (the path text only for the path column).
#ifndef VYN_QUERY_EVENT_TABLE_H_
#define VYN_QUERY_EVENT_TABLE_H_

#include <sqlite3.h>

#include <string>

#include "query/event_cursor.h"
#include "query/fleet_index.h"

namespace vyn::query {

// What the kind column says of a value: signed, unsigned, single, double,
// text, units (a hardware-unit set), object (raw bytes) or none.
std::string_view eventValueKind(const profiling::EventItem& item, const profiling::EventRow& row);

class EventTable {
 public:
  explicit EventTable(const FleetIndex& fleet) : fleet_(fleet) {}

  std::string declaration() const;
  // Looks events up by id, by parent_id, by occurrence_id or by log_id.
  int bestIndex(sqlite3_index_info& info) const;

  class Cursor {
   public:
    explicit Cursor(const EventTable& table) : fleet_(table.fleet_), walk_(table.fleet_) {}
    int filter(int plan, int argc, sqlite3_value** argv);
    int next() {
      walk_.next();
      return SQLITE_OK;
    }
    bool eof() const { return walk_.eof(); }
    int column(sqlite3_context* context, int column);
    sqlite3_int64 rowid() const { return static_cast<sqlite3_int64>(walk_.id()); }

   private:
    const FleetIndex& fleet_;
    EventCursor walk_;
  };

 private:
  const FleetIndex& fleet_;
};

}  // namespace vyn::query

#endif  // VYN_QUERY_EVENT_TABLE_H_
