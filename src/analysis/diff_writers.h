// `diff`'s comparison written out: aligned text tables per graph with a one-line
// summary, or JSON as docs/diff.schema.json describes it; and the sentences that
// state how the comparison decides, which every form carries.
#ifndef VYN_ANALYSIS_DIFF_WRITERS_H_
#define VYN_ANALYSIS_DIFF_WRITERS_H_

#include <string>
#include <utility>
#include <vector>

#include "analysis/diff_options.h"
#include "analysis/diff_row_text.h"
#include "analysis/log_extent.h"
#include "stats/diff_compare.h"

namespace vyn::tools {

// The extents say whether each log was read whole or up to a bad record.
std::string diffText(const ProfileDiff& diff, const DiffOptions& options, const LogExtent& baseExtent,
                     const LogExtent& newExtent);
std::string diffJson(const ProfileDiff& diff, const DiffOptions& options, const LogExtent& baseExtent,
                     const LogExtent& newExtent);

// The method, as (subject, sentence) pairs: what the rows are, the test and
// its correction, the rule of the verdicts, the shift, the order of the graphs.
std::vector<std::pair<std::string, std::string>> methodNotes(const ProfileDiff& diff, const DiffOptions& options);

// "slower, 0 faster, ...": the count of each verdict.
std::string countsText(const VerdictCounts& counts);

// Why a graph has no rows of both logs: "added (only in the new log)", ...;
// empty for a graph compared.
std::string graphStatusText(const GraphDiff& graph);

}  // namespace vyn::tools

#endif  // VYN_ANALYSIS_DIFF_WRITERS_H_
