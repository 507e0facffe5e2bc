// Each directory of a data file's name is opened relative to the previous one
// without following links, and the file itself is created exclusively.
#include "report/data_file_writer.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <string>
#include <vector>

#include "log/logger.h"

namespace vyn::profiling {
namespace {

constexpr const char* kInvalidFileName = "Invalid output fileName: [%s]";

// A name split into the directories leading to it and its final component.
struct ConfinedName {
  std::vector<std::string> directories;
  std::string directoryPrefix;  // the name up to and including its last '/'
  std::string fileName;
};

// False when the name could leave the working directory or names no file:
// absolute, a ".." component, an embedded NUL, or an empty, "." final component.
bool splitConfinedName(const std::string& name, ConfinedName& result) {
  if (name.empty() || name.front() == '/' || name.find('\0') != std::string::npos) return false;
  std::size_t start = 0;
  while (true) {
    const std::size_t slash = name.find('/', start);
    const std::string component = name.substr(start, slash - start);
    if (component == "..") return false;
    if (slash == std::string::npos) {
      if (component.empty() || component == ".") return false;
      result.fileName = component;
      result.directoryPrefix = name.substr(0, start);
      return true;
    }
    if (!component.empty() && component != ".") result.directories.push_back(component);
    start = slash + 1;
  }
}

// The directory holding the file, reached without following any link; -1 on
// failure. AT_FDCWD when the name has no directory part.
int openParentDirectory(const std::vector<std::string>& directories) {
  int directory = AT_FDCWD;
  for (const std::string& component : directories) {
    const int next = ::openat(directory, component.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (directory != AT_FDCWD) ::close(directory);
    if (next < 0) return -1;
    directory = next;
  }
  return directory;
}

void writeAll(int file, ByteView bytes) {
  std::size_t written = 0;
  while (written < bytes.size) {
    const ssize_t count = ::write(file, bytes.data + written, bytes.size - written);
    if (count < 0 && errno == EINTR) continue;
    if (count <= 0) return;  // write errors are not reported
    written += static_cast<std::size_t>(count);
  }
}

}  // namespace

void DataFileWriter::write(std::string_view nameView, ByteView bytes) {
  if (nameView.empty()) return;
  const std::string name(nameView);

  ConfinedName parts;
  if (!splitConfinedName(name, parts)) {
    VYN_LOG_ERROR(kInvalidFileName, name.c_str());
    return;
  }
  const int directory = openParentDirectory(parts.directories);
  if (directory == -1) {
    VYN_LOG_ERROR(kInvalidFileName, name.c_str());
    return;
  }

  // Numbered candidates split the extension off the final component only.
  const std::size_t dot = parts.fileName.rfind('.');
  const std::string stem = parts.fileName.substr(0, dot);
  const std::string extension = dot == std::string::npos ? "" : parts.fileName.substr(dot);

  const auto candidateName = [&](std::uint64_t number) {
    return number == 0 ? parts.fileName : stem + "_" + std::to_string(number) + extension;
  };
  // Candidates known to be taken are not tried again: a log with thousands of
  // events of one name would otherwise cost a quadratic number of attempts. What
  // is known holds only while the file written last under this name is still
  // there (the working directory may have changed or been emptied since).
  std::uint64_t& number = nextNumber_[name];
  struct stat lastWritten {};
  if (number > 0 && ::fstatat(directory, candidateName(number - 1).c_str(), &lastWritten, AT_SYMLINK_NOFOLLOW) != 0)
    number = 0;
  int file = -1;
  for (;; ++number) {
    const std::string candidate = candidateName(number);
    file = ::openat(directory, candidate.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
    if (file >= 0) {
      ++number;
      break;
    }
    if (errno == EINTR) {
      --number;
      continue;
    }
    // Taken by a file, a directory or a link: try the next name.
    if (errno == EEXIST || errno == ELOOP) continue;
    VYN_LOG_ERROR(kInvalidFileName, (parts.directoryPrefix + candidate).c_str());
    break;
  }
  if (directory != AT_FDCWD) ::close(directory);
  if (file < 0) return;

  writeAll(file, bytes);
  ::close(file);
}

}  // namespace vyn::profiling
