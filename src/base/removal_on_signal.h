// Temporary files that an interrupted tool removes before it dies: an output
// being written under a temporary name must not outlive a Ctrl-C, however large
// it has grown.
#ifndef VYN_BASE_REMOVAL_ON_SIGNAL_H_
#define VYN_BASE_REMOVAL_ON_SIGNAL_H_

#include <string>

namespace vyn::base {

// Removes path if SIGINT, SIGTERM or SIGHUP ends the process (signals that were
// ignored when the process started stay ignored). Returns a slot for
// forgetRemovalOnSignal, or -1 when no slot is free (the file is then simply
// not removed on a signal).
int removeOnSignal(const std::string& path);
void forgetRemovalOnSignal(int slot);

}  // namespace vyn::base

#endif  // VYN_BASE_REMOVAL_ON_SIGNAL_H_
