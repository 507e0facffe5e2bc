#include "viewer/reader_host.h"

#include <dlfcn.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "common/output_file.h"
#include "plugin/vyn_profile_log_reader_xtu.h"

namespace vyn::tools {

ReaderHost::~ReaderHost() {
  if (library_ != nullptr) ::dlclose(library_);
}

bool ReaderHost::loadPlugin(const std::string& path) {
  // A bare file name would make dlopen search the library path instead.
  const std::string where = path.find('/') == std::string::npos ? "./" + path : path;
  library_ = ::dlopen(where.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (library_ == nullptr) {
    const char* error = ::dlerror();
    problem_ = std::string("cannot load the reader plug-in: ") + (error ? error : "unknown error");
    return false;
  }
  create_ = reinterpret_cast<CreateReaderFn>(::dlsym(library_, "createReader"));
  delete_ = reinterpret_cast<DeleteReaderFn>(::dlsym(library_, "deleteReader"));
  if (create_ == nullptr || delete_ == nullptr) {
    problem_ = "not a reader plug-in: it does not export createReader and deleteReader";
    return false;
  }
  return true;
}

profiling::ProfileLogReader* ReaderHost::create(const std::string& logPath,
                                                profiling::VisibilityLevel level) {
  if (create_ != nullptr) return create_(logPath, level);
  if (generic_) {
    builtIn_ = new profiling::VynProfileLogReader(logPath, level);
  } else {
    builtIn_ = new profiling::VynProfileLogReaderXtu(logPath, level);
  }
  return builtIn_;
}

void ReaderHost::destroy(profiling::ProfileLogReader* reader) {
  if (reader == builtIn_) builtIn_ = nullptr;
  if (delete_ != nullptr) {
    delete_(reader);
  } else {
    delete reader;
  }
}

std::string ReaderHost::outputFileProblem(const std::string& path) {
  struct stat status {};
  if (::stat(path.c_str(), &status) == 0 && S_ISDIR(status.st_mode)) return "it is a directory";
  const auto slash = path.find_last_of('/');
  const std::string directory =
      slash == std::string::npos ? "." : slash == 0 ? "/" : path.substr(0, slash);
  if (::stat(directory.c_str(), &status) != 0) {
    return "directory " + directory + ": " + systemErrorText(errno);
  }
  if (!S_ISDIR(status.st_mode)) return directory + " is not a directory";
  // Opening without O_CREAT or O_TRUNC leaves an existing file as it is.
  const int fd = ::open(path.c_str(), O_WRONLY | O_APPEND | O_CLOEXEC);
  if (fd >= 0) {
    ::close(fd);
    return "the reader could not open it";
  }
  if (errno == ENOENT && ::access(directory.c_str(), W_OK) != 0) {
    return "cannot create it in " + directory + ": " + systemErrorText(errno);
  }
  return systemErrorText(errno);
}

}  // namespace vyn::tools
