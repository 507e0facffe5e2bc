// A query's rows written out: an aligned table for a terminal, CSV or JSON.
//
// Cells: NULL is an empty cell (JSON null), integers are decimal, reals the
// shortest decimal that reads back as the same double (JSON null for an
// infinity), texts as the format writes names (terminal-safe, RFC 4180, the
// tools' JSON strings), blobs as hexadecimal digits.
#ifndef VYN_QUERY_QUERY_RESULT_WRITERS_H_
#define VYN_QUERY_QUERY_RESULT_WRITERS_H_

#include <memory>

#include "base/output_file.h"
#include "query/sql_statements.h"

namespace vyn::query {

// Text: a header line and one line per row, columns two blanks apart, numbers
// aligned right and everything else left; the table is written when complete.
// Csv: a header row, then one row per result row. Json: an array of objects,
// one per row, keys as the columns are named (a repeated name gets ":2", ":3").
enum class QueryFormat { Text, Csv, Json };

std::unique_ptr<ResultSink> makeResultWriter(QueryFormat format, base::OutputFile& output);

}  // namespace vyn::query

#endif  // VYN_QUERY_QUERY_RESULT_WRITERS_H_
