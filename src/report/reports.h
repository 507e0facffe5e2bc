// The two reports a reader writes: the text summary on standard output and the
// CSV export to the caller's file (none for an empty path). Both return false,
// writing nothing, when the CSV file cannot be opened.
#ifndef VYN_REPORT_REPORTS_H_
#define VYN_REPORT_REPORTS_H_

#include <string>

#include "report/event_printer.h"
#include "report/report_input.h"

namespace vyn::profiling {

// The generic report; the CSV export is appended to the file. Events are
// printed through events.
bool writeGenericReport(const ReportInput& input, EventPrinter& events, const std::string& csvPath);

// The back-end's report: a shorter CSV export into a truncated file, a shorter
// statistics section, and the dump of every event the back-end reported.
bool writeBackendReport(const ReportInput& input, const std::string& csvPath);

}  // namespace vyn::profiling

#endif  // VYN_REPORT_REPORTS_H_
