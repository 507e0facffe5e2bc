// How a report prints the events below its phases: as an indented tree in the
// text summary and as rows in the CSV export. The reader interface lets a reader
// print them its own way; a report asks its printer.
#ifndef VYN_REPORT_EVENT_PRINTER_H_
#define VYN_REPORT_EVENT_PRINTER_H_

#include <cstdint>
#include <string>

#include "base/text_buffer.h"
#include "model/event_list.h"
#include "report/data_file_writer.h"

namespace vyn::profiling {

class EventPrinter {
 public:
  virtual ~EventPrinter() = default;
  // The tree at depth (1 for the events of a phase).
  virtual void tree(base::TextBuffer& out, const EventList& events, std::uint64_t depth) = 0;
  // The rows of the events of an occurrence with that timestamp and message label.
  virtual void rows(base::TextBuffer& out, const EventList& events, std::uint64_t timestamp,
                    const std::string& label) = 0;
};

// The back-end's printer: the summary's tree and the back-end's own CSV rows,
// straight from a loaded log's rows.
class BackendEventPrinter final : public EventPrinter {
 public:
  explicit BackendEventPrinter(DataFileWriter* dataFiles) : dataFiles_(dataFiles) {}

  void tree(base::TextBuffer& out, const EventList& events, std::uint64_t depth) override;
  void rows(base::TextBuffer& out, const EventList& events, std::uint64_t timestamp, const std::string& label) override;

 private:
  DataFileWriter* dataFiles_;
};

}  // namespace vyn::profiling

#endif  // VYN_REPORT_EVENT_PRINTER_H_
