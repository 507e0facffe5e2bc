#include "query/log_facts.h"

#include <sys/stat.h>

namespace vyn::query {

LogFacts logFacts(const tools::LoadedLog& log) {
  LogFacts facts;
  struct stat status {};
  if (::stat(log.path.c_str(), &status) == 0) facts.bytes = static_cast<std::uint64_t>(status.st_size);
  // A loaded log is read to its end today: a log that stops early does not load.
  facts.complete = true;
  return facts;
}

}  // namespace vyn::query
