// The records of a damaged log that can still be kept, and the byte ranges
// that cannot, in the order they lie in the file. Frames are read as the
// scanner reads them; after a frame that is cut short or does not verify, the
// walk goes on where frames verify again (LogResync): where the bad frame's
// own length prefix leads when a chain of frames starts there, or else at the
// first offset within reach from which one does. A record that does not verify
// is never yielded; one that verifies and is framed (where a chain starts or
// where the previous record ends) is.
#ifndef VYN_FORMAT_LOG_SALVAGE_H_
#define VYN_FORMAT_LOG_SALVAGE_H_

#include <cstdint>
#include <string>

#include "format/log_frames.h"
#include "format/log_resync.h"
#include "format/log_scanner.h"

namespace vyn::profiling {

// Bytes [from, to) of a log that hold no record to keep, and why: the fault of
// the frame at from ("record 4 at byte offset 1032: ..."), or the stray bytes
// after the last record.
struct DroppedRange {
  std::uint64_t from = 0, to = 0;
  std::string why;
};

class LogSalvage {
 public:
  enum class Step {
    Record,   // frame() holds a record that verifies, framed
    Dropped,  // dropped() says which bytes are left out, and why
    End,      // the log has been read to its end
    Failed,   // the log could not be read on (problem() says why); End follows
  };

  // False when the file cannot be opened, with the reason in problem().
  bool open(const std::string& path);
  Step next();

  const Frame& frame() const { return scanner_.frame(); }
  const DroppedRange& dropped() const { return dropped_; }
  const std::string& problem() const { return problem_; }

 private:
  // After a bad frame: the range up to where frames verify again, the walk
  // going on from there, or the rest of the log.
  Step resume();
  // Without a search (a log that is not a regular file): the rest of the log,
  // as far as the length prefixes after the bad frame lead.
  Step dropTheRest(const LogFault& fault);
  Step fail(std::string problem);

  LogScanner scanner_;
  LogResync resync_;
  bool searchable_ = false;
  bool finished_ = false;
  DroppedRange dropped_;
  std::string problem_;
};

}  // namespace vyn::profiling

#endif  // VYN_FORMAT_LOG_SALVAGE_H_
