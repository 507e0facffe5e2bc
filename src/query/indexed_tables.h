// The small tables of a fleet, whose rows are its logs, graphs and phase
// occurrences in id order: log, graph and occurrence, as virtual tables.
#ifndef VYN_QUERY_INDEXED_TABLES_H_
#define VYN_QUERY_INDEXED_TABLES_H_

#include <sqlite3.h>

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "query/fleet_index.h"

namespace vyn::query {

// Rows that one lookup selects: indices [begin, end), or list[begin, end).
struct RowSet {
  const std::vector<std::uint32_t>* list = nullptr;
  std::size_t begin = 0, end = 0;
};

// A table whose row i has id i + 1. Every such table looks rows up by id and
// by log_id; each adds its own keys.
class IndexedTable {
 public:
  static constexpr int kIdPlan = 1;
  static constexpr int kLogPlan = 2;
  static constexpr int kGraphPlan = 3;

  IndexedTable(const FleetIndex& fleet, std::string_view name) : fleet_(fleet), name_(name) {}
  virtual ~IndexedTable() = default;

  std::string declaration() const;
  int bestIndex(sqlite3_index_info& info) const;
  virtual std::size_t rowCount() const = 0;
  virtual void column(sqlite3_context* context, std::size_t row, int column) const = 0;
  // The rows of a plan other than the scan and the id lookup, for its value.
  virtual RowSet rowsOf(int plan, std::uint64_t value) const = 0;

  class Cursor {
   public:
    explicit Cursor(const IndexedTable& table) : table_(table) {}
    int filter(int plan, int argc, sqlite3_value** argv);
    int next() {
      ++at_;
      return SQLITE_OK;
    }
    bool eof() const { return at_ >= rows_.end; }
    int column(sqlite3_context* context, int column) {
      table_.column(context, row(), column);
      return SQLITE_OK;
    }
    sqlite3_int64 rowid() const { return static_cast<sqlite3_int64>(row()) + 1; }

   private:
    std::size_t row() const { return rows_.list != nullptr ? (*rows_.list)[at_] : at_; }

    const IndexedTable& table_;
    RowSet rows_;
    std::size_t at_ = 0;
  };

 protected:
  virtual bool hasGraphKey() const { return false; }

  const FleetIndex& fleet_;
  std::string_view name_;
};

class LogTable : public IndexedTable {
 public:
  explicit LogTable(const FleetIndex& fleet) : IndexedTable(fleet, "log") {}
  std::size_t rowCount() const override { return fleet_.logs().size(); }
  void column(sqlite3_context* context, std::size_t row, int column) const override;
  RowSet rowsOf(int plan, std::uint64_t value) const override;
};

class GraphTable : public IndexedTable {
 public:
  explicit GraphTable(const FleetIndex& fleet) : IndexedTable(fleet, "graph") {}
  std::size_t rowCount() const override { return fleet_.graphs().size(); }
  void column(sqlite3_context* context, std::size_t row, int column) const override;
  RowSet rowsOf(int plan, std::uint64_t value) const override;
};

class OccurrenceTable : public IndexedTable {
 public:
  explicit OccurrenceTable(const FleetIndex& fleet) : IndexedTable(fleet, "occurrence") {}
  std::size_t rowCount() const override { return fleet_.occurrences().size(); }
  void column(sqlite3_context* context, std::size_t row, int column) const override;
  RowSet rowsOf(int plan, std::uint64_t value) const override;

 protected:
  bool hasGraphKey() const override { return true; }
};

}  // namespace vyn::query

#endif  // VYN_QUERY_INDEXED_TABLES_H_
