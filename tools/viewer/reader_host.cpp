#include "viewer/reader_host.h"

#include <dlfcn.h>

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

profiling::ProfileLogReader* ReaderHost::create(const std::string& logPath, profiling::VisibilityLevel level) {
  if (create_ != nullptr) return create_(logPath, level);
  builtIn_ = std::make_unique<profiling::BuiltInReader>(logPath, level, generic_);
  return &builtIn_->reader();
}

void ReaderHost::destroy(profiling::ProfileLogReader* reader) {
  if (builtIn_ != nullptr && reader == &builtIn_->reader()) {
    builtIn_.reset();
  } else if (delete_ != nullptr) {
    delete_(reader);
  }
}

}  // namespace vyn::tools
