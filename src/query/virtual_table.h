// The SQLite module of a read-only virtual table over data the connection
// does not own, from a C++ table and its cursor:
//
//   struct Table {
//     std::string declaration() const;            // "CREATE TABLE x(...)"
//     int bestIndex(sqlite3_index_info&) const;  // SQLITE_OK, plan in idxNum
//     struct Cursor {
//       explicit Cursor(const Table&);
//       int filter(int plan, int argc, sqlite3_value** argv);
//       int next();
//       bool eof() const;
//       int column(sqlite3_context*, int column);
//       sqlite3_int64 rowid() const;
//     };
//   };
//
// The module has no xUpdate, so SQL cannot change the data. Its xCreate is its
// xConnect: the table may be named in a query as the module itself, or be
// created under another name.
#ifndef VYN_QUERY_VIRTUAL_TABLE_H_
#define VYN_QUERY_VIRTUAL_TABLE_H_

#include <sqlite3.h>

#include <new>
#include <string>

namespace vyn::query {

template <typename Table>
class VirtualTable {
 public:
  static const sqlite3_module& module() {
    static const sqlite3_module kModule = [] {
      sqlite3_module module{};
      module.iVersion = 1;
      module.xCreate = &connect;
      module.xConnect = &connect;
      module.xBestIndex = &bestIndex;
      module.xDisconnect = &disconnect;
      module.xDestroy = &disconnect;
      module.xOpen = &open;
      module.xClose = &close;
      module.xFilter = &filter;
      module.xNext = &next;
      module.xEof = &eof;
      module.xColumn = &column;
      module.xRowid = &rowid;
      return module;
    }();
    return kModule;
  }

  // Registers the module under name; table must outlive the connection.
  static int registerIn(sqlite3* db, const char* name, const Table& table) {
    return sqlite3_create_module_v2(db, name, &module(), const_cast<Table*>(&table), nullptr);
  }

 private:
  struct Vtab : sqlite3_vtab {
    const Table* table = nullptr;
  };
  struct Cursor : sqlite3_vtab_cursor {
    explicit Cursor(const Table& table) : state(table) {}
    typename Table::Cursor state;
  };

  static Cursor& cursorOf(sqlite3_vtab_cursor* cursor) { return *static_cast<Cursor*>(cursor); }

  static int connect(sqlite3* db, void* aux, int, const char* const*, sqlite3_vtab** out, char**) {
    const auto* table = static_cast<const Table*>(aux);
    const std::string declaration = table->declaration();
    const int status = sqlite3_declare_vtab(db, declaration.c_str());
    if (status != SQLITE_OK) return status;
    auto* vtab = new (std::nothrow) Vtab();
    if (vtab == nullptr) return SQLITE_NOMEM;
    vtab->table = table;
    *out = vtab;
    return SQLITE_OK;
  }
  static int disconnect(sqlite3_vtab* vtab) {
    delete static_cast<Vtab*>(vtab);
    return SQLITE_OK;
  }
  static int bestIndex(sqlite3_vtab* vtab, sqlite3_index_info* info) {
    return static_cast<Vtab*>(vtab)->table->bestIndex(*info);
  }
  static int open(sqlite3_vtab* vtab, sqlite3_vtab_cursor** out) {
    auto* cursor = new (std::nothrow) Cursor(*static_cast<Vtab*>(vtab)->table);
    if (cursor == nullptr) return SQLITE_NOMEM;
    *out = cursor;
    return SQLITE_OK;
  }
  static int close(sqlite3_vtab_cursor* cursor) {
    delete &cursorOf(cursor);
    return SQLITE_OK;
  }
  static int filter(sqlite3_vtab_cursor* cursor, int plan, const char*, int argc, sqlite3_value** argv) {
    try {
      return cursorOf(cursor).state.filter(plan, argc, argv);
    } catch (const std::bad_alloc&) {
      return SQLITE_NOMEM;
    }
  }
  static int next(sqlite3_vtab_cursor* cursor) {
    try {
      return cursorOf(cursor).state.next();
    } catch (const std::bad_alloc&) {
      return SQLITE_NOMEM;
    }
  }
  static int eof(sqlite3_vtab_cursor* cursor) { return cursorOf(cursor).state.eof() ? 1 : 0; }
  static int column(sqlite3_vtab_cursor* cursor, sqlite3_context* context, int index) {
    try {
      return cursorOf(cursor).state.column(context, index);
    } catch (const std::bad_alloc&) {
      return SQLITE_NOMEM;
    }
  }
  static int rowid(sqlite3_vtab_cursor* cursor, sqlite3_int64* out) {
    *out = cursorOf(cursor).state.rowid();
    return SQLITE_OK;
  }
};

}  // namespace vyn::query

#endif  // VYN_QUERY_VIRTUAL_TABLE_H_
