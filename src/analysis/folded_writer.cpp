#include "analysis/folded_writer.h"

#include <string>
#include <string_view>

#include "analysis/folded_frames.h"
#include "base/terminal_text.h"

namespace vyn::tools {
namespace {

using profiling::ExecutionProfile;
using profiling::kNoParentPath;

// A frame never holds a frame or line separator, nor anything that would
// drive a terminal or break the markup a flame-graph tool makes of it.
void appendFrameName(std::string& out, std::string_view name) {
  std::string plain(name);
  for (char& c : plain) {
    if (c == ';') c = ':';
    if (c == '\n' || c == '\r') c = ' ';
  }
  base::appendTerminalText(out, plain);
}

}  // namespace

void writeFoldedStacks(const profiling::LogModel& model, const std::vector<ExecutionProfile>& profiles,
                       base::TextBuffer& out) {
  std::string line;
  std::vector<std::uint32_t> chain;  // a path and its ancestors, the path first
  for (const ExecutionProfile& profile : profiles) {
    if (!out.healthy()) return;
    for (const FoldedFrame& frame : foldedFrames(profile)) {
      line.clear();
      appendFrameName(line, model.text(profile.graph));
      chain.clear();
      for (std::uint32_t at = frame.path; at != kNoParentPath; at = profile.paths[at].parent) chain.push_back(at);
      for (auto at = chain.rbegin(); at != chain.rend(); ++at) {
        line.push_back(';');
        appendFrameName(line, model.text(profile.paths[*at].name));
      }
      line.push_back(' ');
      out.text(line);
      out.number(frame.selfMicroseconds);
      out.endLine();
    }
  }
}

}  // namespace vyn::tools
