// What `synth` is asked for: the session's shape, its size, the seed of its
// noise and the changes planted in some events' times.
#ifndef VYN_SYNTH_SYNTH_OPTIONS_H_
#define VYN_SYNTH_SYNTH_OPTIONS_H_

#include <cstdint>
#include <string>
#include <vector>

namespace vyn::tools {

// One --shift: the time of an event path of one graph scaled by a factor, in
// millionths (1100000 is +10%).
struct SynthShift {
  std::string text;   // as given, for messages
  std::string graph;  // everything before the first '/'
  std::string path;   // event names joined by " / ", as stats and diff write them
  std::uint64_t factorMillionths = 1000000;
};

struct SynthOptions {
  std::uint32_t graphs = 2;
  std::uint64_t executions = 10;  // per graph
  std::uint32_t events = 20;      // top-level events per execution
  std::uint32_t subEvents = 2;    // sub-events per layer and per timed sub-event
  std::uint32_t depth = 1;        // levels of sub-events below each event
  std::uint32_t messagesPerRecord = 64;
  bool roundTrip = false;        // host round trips with queue-wait events
  std::uint64_t targetSize = 0;  // when set: executions until the log is this large
  std::uint64_t seed = 1;
  std::vector<SynthShift> shifts;  // applied one after another, in this order
  std::string outputPath;
};

// Reads "GRAPH/EVENT PATH=+10%" into shift. Empty when it reads, else what is
// wrong with the text.
std::string parseSynthShift(const std::string& text, SynthShift& shift);

// Empty when every shift names a graph of the session and a timed event path
// of its executions; else what is wrong with the first one that does not.
std::string synthShiftProblem(const SynthOptions& options);

}  // namespace vyn::tools

#endif  // VYN_SYNTH_SYNTH_OPTIONS_H_
