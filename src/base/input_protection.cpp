#include "base/input_protection.h"

#include <sys/stat.h>
#include <unistd.h>

#include "base/same_file.h"

namespace vyn::base {
namespace {

// Standard output redirected to an input file ("dump in.log >> in.log").
bool standardOutputIs(const std::string& path) {
  struct stat out {};
  struct stat file {};
  return ::fstat(STDOUT_FILENO, &out) == 0 && S_ISREG(out.st_mode) && ::stat(path.c_str(), &file) == 0 &&
         out.st_dev == file.st_dev && out.st_ino == file.st_ino;
}

}  // namespace

std::string overwritesInput(const std::string& output, const std::vector<std::string>& inputs) {
  for (const std::string& input : inputs) {
    if (input.empty() || input == "-") continue;
    const bool same = output == "-" ? standardOutputIs(input) : namesSameFile(output, input);
    if (same) return "is the same file as the input " + input + "; refusing to write over it";
  }
  return {};
}

}  // namespace vyn::base
