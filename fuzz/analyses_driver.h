// The log tool's analyses over one log, for the fuzzer: stats in every form
// and order, the tidy rows and collapsed stacks of export, the report page,
// and diff's text, JSON and page of the log against itself without its first
// execution of each graph.
#ifndef VYN_FUZZ_ANALYSES_DRIVER_H_
#define VYN_FUZZ_ANALYSES_DRIVER_H_

#include <string>

namespace vyn::fuzzing {

// Loads the log as the tool does and runs every analysis over it. An output
// that breaks its form (JSON that does not parse, terminal text that holds a
// raw control character) aborts, so that the fuzzer keeps the input.
void runAnalyses(const std::string& logPath);

}  // namespace vyn::fuzzing

#endif  // VYN_FUZZ_ANALYSES_DRIVER_H_
