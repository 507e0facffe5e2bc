// A tool never writes over one of its inputs: an output path that leads to an
// input file (the same device and inode, through any spelling or link) is
// refused before anything is written.
#ifndef VYN_BASE_INPUT_PROTECTION_H_
#define VYN_BASE_INPUT_PROTECTION_H_

#include <string>
#include <vector>

namespace vyn::base {

// Empty when output names none of inputs; otherwise the problem to report
// about output, naming the input. "-" stands for standard output as an output
// and is passed over as an input (standard input).
std::string overwritesInput(const std::string& output, const std::vector<std::string>& inputs);

}  // namespace vyn::base

#endif  // VYN_BASE_INPUT_PROTECTION_H_
