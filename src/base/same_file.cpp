#include "base/same_file.h"

#include <sys/stat.h>

namespace vyn::base {

bool namesSameFile(const std::string& first, const std::string& second) {
  struct stat a {};
  struct stat b {};
  if (first.empty() || second.empty()) return false;
  if (::stat(first.c_str(), &a) != 0 || ::stat(second.c_str(), &b) != 0) return false;
  return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

}  // namespace vyn::base
