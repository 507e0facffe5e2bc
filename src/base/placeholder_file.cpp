#include "base/placeholder_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "base/removal_on_signal.h"

namespace vyn::base {

bool PlaceholderFile::create(const std::string& path) {
  remove();
  const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
  if (fd < 0) return false;
  struct stat status {};
  const bool known = ::fstat(fd, &status) == 0;
  const int error = errno;
  ::close(fd);
  if (!known) {
    ::unlink(path.c_str());
    errno = error;
    return false;
  }
  path_ = path;
  device_ = status.st_dev;
  inode_ = status.st_ino;
  signalSlot_ = removeOnSignal(path_);
  return true;
}

void PlaceholderFile::release() {
  if (path_.empty()) return;
  forgetRemovalOnSignal(signalSlot_);
  path_.clear();
}

void PlaceholderFile::remove() {
  if (path_.empty()) return;
  struct stat status {};
  if (::lstat(path_.c_str(), &status) == 0 && status.st_dev == device_ && status.st_ino == inode_ &&
      status.st_size == 0) {
    ::unlink(path_.c_str());
  }
  release();
}

}  // namespace vyn::base
