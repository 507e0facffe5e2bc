#include "base/replacement_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>

#include "base/removal_on_signal.h"
#include "base/system_error_text.h"

namespace vyn::base {
namespace {

// The file a path leads to: a symbolic link is followed as far as it goes.
std::string followLinks(const std::string& path) {
  struct stat status {};
  if (::lstat(path.c_str(), &status) != 0 || !S_ISLNK(status.st_mode)) return path;
  char resolved[PATH_MAX];
  return ::realpath(path.c_str(), resolved) != nullptr ? std::string(resolved) : path;
}

// The permissions a file created now would get.
mode_t newFileMode() {
  const mode_t mask = ::umask(0);
  ::umask(mask);
  return 0666 & ~mask;
}

}  // namespace

ReplacementFile::~ReplacementFile() { abandon(); }

int ReplacementFile::create(const std::string& target) {
  target_ = followLinks(target);
  struct stat existing {};
  const bool exists = ::stat(target_.c_str(), &existing) == 0;
  // Renaming over a file needs only the directory's permission; the user must
  // also be one who could have written the file in place, as a shell redirect
  // or cp would, or a read-only file of someone else's would be taken over.
  if (exists && ::faccessat(AT_FDCWD, target_.c_str(), W_OK, AT_EACCESS) != 0) {
    problem_ = "cannot be replaced: " + systemErrorText(errno);
    return -1;
  }
  const auto slash = target_.find_last_of('/');
  const std::string directory = slash == std::string::npos ? "" : target_.substr(0, slash + 1);
  const std::string name = slash == std::string::npos ? target_ : target_.substr(slash + 1);
  // Hidden, and named after the target, so that one left by a crash is recognised.
  std::string temporary = directory + "." + name + ".tmp-XXXXXX";
  const int fd = ::mkstemp(temporary.data());
  if (fd < 0) {
    problem_ = (exists ? "cannot create a temporary file beside it: " : "cannot be written: ") + systemErrorText(errno);
    return -1;
  }
  temporary_ = temporary;
  signalSlot_ = removeOnSignal(temporary_);
  if (exists) {
    // Best effort: only the superuser may give the file to its former owner.
    static_cast<void>(::fchown(fd, existing.st_uid, existing.st_gid));
    ::fchmod(fd, existing.st_mode & 07777);
  } else {
    ::fchmod(fd, newFileMode());
  }
  return fd;
}

bool ReplacementFile::commit() {
  if (temporary_.empty()) return problem_.empty();
  if (std::rename(temporary_.c_str(), target_.c_str()) != 0) {
    problem_ = "cannot be written: " + systemErrorText(errno);
    abandon();
    return false;
  }
  forgetRemovalOnSignal(signalSlot_);
  temporary_.clear();
  return true;
}

void ReplacementFile::abandon() {
  if (temporary_.empty()) return;
  ::unlink(temporary_.c_str());
  forgetRemovalOnSignal(signalSlot_);
  temporary_.clear();
}

}  // namespace vyn::base
