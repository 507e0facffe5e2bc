// Creates and destroys readers for the viewer: the built-in ones, linked into
// the viewer, or those of a reader plug-in loaded at run time.
#ifndef VYN_TOOLS_VIEWER_READER_HOST_H_
#define VYN_TOOLS_VIEWER_READER_HOST_H_

#include <memory>
#include <string>

#include "plugin/built_in_reader.h"
#include "vyn/profiling/profile_log_reader.h"

namespace vyn::tools {

class ReaderHost {
 public:
  ReaderHost() = default;
  ~ReaderHost();
  ReaderHost(const ReaderHost&) = delete;
  ReaderHost& operator=(const ReaderHost&) = delete;

  // The back-end reader, or the generic one.
  void useBuiltIn(bool generic) { generic_ = generic; }
  // Loads the plug-in and resolves createReader and deleteReader; false with
  // problem() when that fails.
  bool loadPlugin(const std::string& path);

  profiling::ProfileLogReader* create(const std::string& logPath, profiling::VisibilityLevel level);
  void destroy(profiling::ProfileLogReader* reader);
  // The reader create() made when it is a built-in one, whose loading the viewer
  // can follow and whose model it can read; null for a plug-in's reader.
  profiling::BuiltInReader* builtInReader() const { return builtIn_.get(); }

  const std::string& problem() const { return problem_; }

 private:
  bool generic_ = false;
  void* library_ = nullptr;
  CreateReaderFn create_ = nullptr;
  DeleteReaderFn delete_ = nullptr;
  std::unique_ptr<profiling::BuiltInReader> builtIn_;
  std::string problem_;
};

}  // namespace vyn::tools

#endif  // VYN_TOOLS_VIEWER_READER_HOST_H_
