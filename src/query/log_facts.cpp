#include "query/log_facts.h"

#include <sys/stat.h>

namespace vyn::query {

LogFacts logFacts(const tools::LoadedLog& log) {
  LogFacts facts;
  facts.records = log.extent.records;
  facts.complete = log.extent.complete();
  if (log.extent.fileSize != 0) {
    facts.bytes = log.extent.fileSize;
  } else if (struct stat status{}; ::stat(log.path.c_str(), &status) == 0 && S_ISREG(status.st_mode)) {
    facts.bytes = static_cast<std::uint64_t>(status.st_size);
  }
  return facts;
}

}  // namespace vyn::query
