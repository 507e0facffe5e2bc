#include "viewer/csv_destination.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "base/system_error_text.h"

namespace vyn::tools {
namespace {

// Copies the file at from to the descriptor; false with the error number set.
bool copyContent(const std::string& from, int to) {
  const int source = ::open(from.c_str(), O_RDONLY | O_CLOEXEC);
  if (source < 0) return false;
  char block[1 << 16];
  bool copied = true;
  for (;;) {
    const ssize_t got = ::read(source, block, sizeof block);
    if (got == 0) break;
    if (got < 0) {
      if (errno == EINTR) continue;
      copied = false;
      break;
    }
    for (ssize_t done = 0; copied && done < got;) {
      const ssize_t put = ::write(to, block + done, static_cast<std::size_t>(got - done));
      if (put < 0 && errno != EINTR) copied = false;
      if (put > 0) done += put;
    }
    if (!copied) break;
  }
  const int error = errno;
  ::close(source);
  errno = error;
  return copied;
}

}  // namespace

bool CsvDestination::prepare(const std::string& target) {
  if (target.empty()) return true;
  struct stat status {};
  const bool exists = ::stat(target.c_str(), &status) == 0;
  if (exists && S_ISDIR(status.st_mode)) {
    problem_ = outputFileProblem(target);
    return false;
  }
  if (exists && !S_ISREG(status.st_mode)) {
    readerPath_ = target;
    return true;
  }
  const int fd = replacement_.create(target);
  if (fd < 0) {
    problem_ = exists ? replacement_.problem() : outputFileProblem(target);
    return false;
  }
  const bool copied = !exists || copyContent(replacement_.target(), fd);
  const int error = errno;
  ::close(fd);
  if (!copied) {
    problem_ = "cannot copy what it holds: " + base::systemErrorText(error);
    replacement_.abandon();
    return false;
  }
  // The reader names its data files so that none takes an existing file's
  // name: the target must exist while it writes them, as it would if the
  // reader wrote the target itself, or a data file could take its name and be
  // replaced by the CSV file.
  if (!exists && !placeholder_.create(replacement_.target())) {
    problem_ = outputFileProblem(target);
    replacement_.abandon();
    return false;
  }
  readerPath_ = replacement_.temporaryPath();
  return true;
}

bool CsvDestination::commit() {
  if (replacement_.commit()) {
    placeholder_.release();
    return true;
  }
  problem_ = replacement_.problem();
  return false;
}

void CsvDestination::abandon() {
  replacement_.abandon();
  placeholder_.remove();
}

std::string outputFileProblem(const std::string& path) {
  struct stat status {};
  if (::stat(path.c_str(), &status) == 0 && S_ISDIR(status.st_mode)) return "it is a directory";
  const auto slash = path.find_last_of('/');
  const std::string directory = slash == std::string::npos ? "." : slash == 0 ? "/" : path.substr(0, slash);
  if (::stat(directory.c_str(), &status) != 0) {
    return "directory " + directory + ": " + base::systemErrorText(errno);
  }
  if (!S_ISDIR(status.st_mode)) return directory + " is not a directory";
  // Opening without O_CREAT or O_TRUNC leaves an existing file as it is.
  const int fd = ::open(path.c_str(), O_WRONLY | O_APPEND | O_CLOEXEC);
  if (fd >= 0) {
    ::close(fd);
    return "the reader could not open it";
  }
  if (errno == ENOENT && ::access(directory.c_str(), W_OK) != 0) {
    return "cannot create it in " + directory + ": " + base::systemErrorText(errno);
  }
  return base::systemErrorText(errno);
}

}  // namespace vyn::tools
