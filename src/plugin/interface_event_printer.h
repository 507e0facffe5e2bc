// Prints a report's events the way a reader's interface operations do. The
// rows of the CSV export go through the reader's printEvent, as a virtual call
// on events filled from the model, so that a reader deriving from the generic
// one writes its own rows; the tree is written straight from the model, as no
// reader prints its tree differently (writeEventTree is final).
#ifndef VYN_PLUGIN_INTERFACE_EVENT_PRINTER_H_
#define VYN_PLUGIN_INTERFACE_EVENT_PRINTER_H_

#include <vector>

#include "report/data_file_writer.h"
#include "report/event_printer.h"
#include "vyn/profiling/profile_log_reader.h"

namespace vyn::profiling {

class InterfaceEventPrinter final : public EventPrinter {
 public:
  InterfaceEventPrinter(ProfileLogReader& reader, DataFileWriter* dataFiles) : reader_(reader), dataFiles_(dataFiles) {}

  void tree(base::TextBuffer& out, const EventList& events, std::uint64_t depth) override;
  void rows(base::TextBuffer& out, const EventList& events, std::uint64_t timestamp, const std::string& label) override;

 private:
  ProfileLogReader& reader_;
  DataFileWriter* dataFiles_;
  std::vector<ProfileEvent> events_;  // filled afresh for every list
};

}  // namespace vyn::profiling

#endif  // VYN_PLUGIN_INTERFACE_EVENT_PRINTER_H_
