#include "viewer/reader_host.h"

#include <dlfcn.h>

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

}  // namespace vyn::tools
