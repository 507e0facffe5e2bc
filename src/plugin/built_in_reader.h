// A reader linked into its host rather than loaded as a plug-in, and what such
// a host may ask of it beyond the reader interface: how far its load has come,
// what the load came to (its fault when it failed, so that the host need not
// read the log again to explain it), and the loaded model (the executions and
// how the visibility level sorted the messages). The host drives the reader
// itself through reader(), as any host does.
#ifndef VYN_PLUGIN_BUILT_IN_READER_H_
#define VYN_PLUGIN_BUILT_IN_READER_H_

#include <memory>
#include <string>

#include "capture/log_file_capture.h"
#include "format/load_outcome.h"
#include "model/log_model.h"
#include "vyn/profiling/profile_log_reader.h"

namespace vyn::profiling {

class VynProfileLogReader;

class BuiltInReader {
 public:
  // The back-end reader that createReader makes, or the generic one.
  BuiltInReader(const std::string& logPath, VisibilityLevel level, bool generic);
  ~BuiltInReader();
  BuiltInReader(const BuiltInReader&) = delete;
  BuiltInReader& operator=(const BuiltInReader&) = delete;

  ProfileLogReader& reader();
  // Told after each record that loadLog takes; empty to stop.
  void setLoadProgress(LoadProgress progress);
  // What the last loadLog came to.
  const LoadOutcome& loadOutcome() const;
  const LogModel& model() const;

 private:
  std::unique_ptr<VynProfileLogReader> reader_;
};

}  // namespace vyn::profiling

#endif  // VYN_PLUGIN_BUILT_IN_READER_H_
