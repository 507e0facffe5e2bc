// `diff`'s comparison written out: aligned text tables per graph with a one-line
// summary, or JSON as docs/diff.schema.json describes it.
#ifndef VYN_TOOLS_LOG_DIFF_WRITERS_H_
#define VYN_TOOLS_LOG_DIFF_WRITERS_H_

#include <string>

#include "log/diff/diff_compare.h"
#include "log/diff/diff_options.h"

namespace vyn::tools {

std::string diffText(const ProfileDiff& diff, const DiffOptions& options);
std::string diffJson(const ProfileDiff& diff, const DiffOptions& options);

}  // namespace vyn::tools

#endif  // VYN_TOOLS_LOG_DIFF_WRITERS_H_
