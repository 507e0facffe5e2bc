#include "base/removal_on_signal.h"

#include <unistd.h>

#include <csignal>
#include <cstring>

namespace vyn::base {
namespace {

constexpr int kSlots = 4;
constexpr std::size_t kPathRoom = 4096;
constexpr int kSignals[] = {SIGINT, SIGTERM, SIGHUP};

// Written only outside the handler; a slot is marked used after its path is complete.
char pendingPaths[kSlots][kPathRoom];
volatile std::sig_atomic_t slotUsed[kSlots];

extern "C" void removePendingFilesAndDie(int signal) {
  for (int slot = 0; slot < kSlots; ++slot) {
    if (slotUsed[slot] != 0) ::unlink(pendingPaths[slot]);
  }
  std::signal(signal, SIG_DFL);
  std::raise(signal);
}

void installHandlersOnce() {
  static const bool installed = [] {
    for (const int signal : kSignals) {
      struct sigaction action {};
      // A signal ignored from the start (nohup) stays ignored.
      if (::sigaction(signal, nullptr, &action) == 0 && action.sa_handler == SIG_IGN) continue;
      action = {};
      action.sa_handler = removePendingFilesAndDie;
      sigemptyset(&action.sa_mask);
      ::sigaction(signal, &action, nullptr);
    }
    return true;
  }();
  static_cast<void>(installed);
}

}  // namespace

int removeOnSignal(const std::string& path) {
  if (path.size() >= kPathRoom) return -1;
  installHandlersOnce();
  for (int slot = 0; slot < kSlots; ++slot) {
    if (slotUsed[slot] != 0) continue;
    std::memcpy(pendingPaths[slot], path.c_str(), path.size() + 1);
    slotUsed[slot] = 1;
    return slot;
  }
  return -1;
}

void forgetRemovalOnSignal(int slot) {
  if (slot >= 0 && slot < kSlots) slotUsed[slot] = 0;
}

}  // namespace vyn::base
