// A log as a timeline in the trace-event JSON format that trace viewers open.
// Every message becomes one complete event ("ph": "X") with its timing in
// microseconds; messages about one graph share that graph's track, everything
// else goes to the session track. The message's events travel along as args.
#ifndef VYN_ANALYSIS_TRACE_WRITER_H_
#define VYN_ANALYSIS_TRACE_WRITER_H_

#include <string>
#include <unordered_map>
#include <vector>

#include "base/output_file.h"
#include "format/log_json.h"
#include "format/record_format.h"

namespace vyn::tools {

class TraceWriter {
 public:
  // Opens the document in output.
  explicit TraceWriter(base::OutputFile& output);
  TraceWriter(const TraceWriter&) = delete;
  TraceWriter& operator=(const TraceWriter&) = delete;

  // One verified message, read in place.
  void message(const profiling::fb::MethodMessage& message);
  // Names the tracks and closes the document; logName names the process.
  void finish(const std::string& logName);

 private:
  int graphTrack(const std::string& graph);
  static Json metadata(const char* name, int track, Json args);
  void emit(const Json& event);

  base::OutputFile& output_;
  bool first_ = true;
  std::vector<std::string> graphs_;
  std::unordered_map<std::string, int> tracks_;
};

}  // namespace vyn::tools

#endif  // VYN_ANALYSIS_TRACE_WRITER_H_
