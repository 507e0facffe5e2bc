// Rows of the CSV export that a report can write one at a time, in step with
// its other output.
#ifndef VYN_REPORT_CSV_ROWS_H_
#define VYN_REPORT_CSV_ROWS_H_

#include <cstddef>
#include <ostream>
#include <string>
#include <vector>

#include "reader/vyn_profile_log_reader.h"

namespace vyn::profiling {

// "Graph <position>: <graph name>", the identifier of every row of one graph.
std::string graphIdentifier(std::size_t position, const std::string& graphName);

// The EXECUTE row of run, an execution of the graph with that identifier, then
// the rows of its events.
void writeExecuteRow(VynProfileLogReader& reader, std::ostream& out,
                     const std::string& identifier, const PhaseStat& run);

}  // namespace vyn::profiling

#endif  // VYN_REPORT_CSV_ROWS_H_
