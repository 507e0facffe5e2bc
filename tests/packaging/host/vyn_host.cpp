// A host built against an installed tree alone: it loads the installed plug-in
// (path given at build time as VYN_PLUGIN), reads the log named on its command
// line and writes the report. Exit 0 when the log loaded and the report was written.
#include <dlfcn.h>

#include <cstdio>

#include "vyn/profiling/profile_log_reader.h"

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: vyn_host LOG\n");
    return 2;
  }
  void* library = dlopen(VYN_PLUGIN, RTLD_NOW | RTLD_LOCAL);
  if (library == nullptr) {
    std::fprintf(stderr, "%s\n", dlerror());
    return 1;
  }
  auto create = reinterpret_cast<CreateReaderFn>(dlsym(library, "createReader"));
  auto destroy = reinterpret_cast<DeleteReaderFn>(dlsym(library, "deleteReader"));
  bool reported = false;
  if (create != nullptr && destroy != nullptr) {
    vyn::profiling::ProfileLogReader* reader = create(argv[1], vyn::profiling::VisibilityLevel::All);
    reported = reader->loadLog(false) && reader->writeReport("");
    destroy(reader);
  }
  dlclose(library);
  return reported ? 0 : 1;
}
