// The command that keeps the good records of a log whose first bad record comes
// after some: "vyn-profile-log repair run.log -o run.repaired.log", with the
// paths quoted for a POSIX shell where they need it.
#ifndef VYN_ANALYSIS_REPAIR_SUGGESTION_H_
#define VYN_ANALYSIS_REPAIR_SUGGESTION_H_

#include <string>

namespace vyn::tools {

// "x.log" gives "x.repaired.log"; any other name gets ".repaired" appended.
std::string repairedLogPath(const std::string& logPath);

std::string repairCommand(const std::string& logPath);

}  // namespace vyn::tools

#endif  // VYN_ANALYSIS_REPAIR_SUGGESTION_H_
