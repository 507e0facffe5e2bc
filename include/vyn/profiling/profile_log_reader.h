// Public interface of libVynXtuProfilingReader.so.
//
// A host loads the library, resolves createReader and deleteReader (plain,
// unmangled names), and drives the returned reader from one thread:
//   createReader -> loadLog -> getHeaderReport / writeReport -> deleteReader.
// The order of the virtual operations below is part of the binary interface.
#ifndef VYN_PROFILING_PROFILE_LOG_READER_H_
#define VYN_PROFILING_PROFILE_LOG_READER_H_

#include <cstdint>
#include <ostream>
#include <string>
#include <vector>

#include "vyn/profiling/profile_event.h"

namespace vyn::profiling {

// A reader processes a message only when its own level is strictly greater than
// the message's level (a signed byte; absent means 0). Any value of the signed
// byte range may be passed; these are the named ones.
enum class VisibilityLevel : std::int8_t {
  Off = 0,       // drops every message of level 0 or above
  Basic = 1,     // messages of level 0 (the default level)
  Detailed = 2,  // messages of level 1 and below
  Verbose = 3,   // messages of level 2 and below
  All = 127,     // every message a runtime writes (levels up to 126)
};

template <typename Level>
class IVynProfileLogReader {
 public:
  // Writes the CSV export to outputPath (none when empty) and the text summary to
  // standard output. False when the output file cannot be opened.
  virtual bool writeReport(const std::string& outputPath) = 0;
  virtual ~IVynProfileLogReader() = default;
  // The log-header text; empty when no record carried a header.
  virtual std::string getHeaderReport() = 0;
  // Dispatches the next message of the current record; used by loadLog.
  virtual bool processNextMessage() = 0;
  // Reads the whole log and aggregates it. Loading again appends.
  virtual bool loadLog(bool writeDataFiles) = 0;
  virtual bool isSupported() = 0;
  virtual void writeEventTree(std::ostream& out, const std::vector<ProfileEvent>& events, std::uint64_t depth) = 0;
  virtual void printEvent(std::ostream& out, const std::vector<ProfileEvent>& events, std::uint64_t messageTimestamp,
                          const std::string& messageLabel, std::uint64_t depth) = 0;
};

using ProfileLogReader = IVynProfileLogReader<VisibilityLevel>;

}  // namespace vyn::profiling

#if defined(__GNUC__)
#define VYN_PROFILING_EXPORT __attribute__((visibility("default")))
#else
#define VYN_PROFILING_EXPORT
#endif

extern "C" {
// Creates the reader for the log at inputLogPath. The file is opened by loadLog.
VYN_PROFILING_EXPORT vyn::profiling::ProfileLogReader* createReader(const std::string& inputLogPath,
                                                                    vyn::profiling::VisibilityLevel visibilityLevel);
// Destroys a reader made by createReader; a null pointer is ignored.
VYN_PROFILING_EXPORT void deleteReader(vyn::profiling::ProfileLogReader* reader);
}

// Types of the two entry points, for hosts that resolve them with dlsym.
using CreateReaderFn = decltype(&createReader);
using DeleteReaderFn = decltype(&deleteReader);

#endif  // VYN_PROFILING_PROFILE_LOG_READER_H_
