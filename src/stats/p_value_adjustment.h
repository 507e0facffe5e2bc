// p-values adjusted for testing many hypotheses at once: when a comparison
// runs a test per row, some rows come out below any level by chance alone, and
// the adjusted p-values keep that in check over the whole family of tests.
#ifndef VYN_STATS_P_VALUE_ADJUSTMENT_H_
#define VYN_STATS_P_VALUE_ADJUSTMENT_H_

#include <vector>

namespace vyn::profiling {

enum class PValueAdjustment {
  Holm,               // controls the chance of any false finding (family-wise error rate)
  BenjaminiHochberg,  // controls the expected share of false findings (false discovery rate)
  None,               // the p-values as they are
};

// Holm's step-down: with the m p-values in ascending order p(1) <= ... <= p(m),
// the i-th becomes max over j <= i of min(1, (m - j + 1) p(j)). Taking the
// largest so far keeps the order: a smaller p never gets a larger adjusted p.
// Rejecting every hypothesis whose adjusted p is below a level keeps the chance
// of rejecting any true one below that level, whatever their dependence.
std::vector<double> holmAdjusted(const std::vector<double>& pValues);

// Benjamini-Hochberg: the i-th smallest becomes min over j >= i of
// min(1, m p(j) / j), the smallest from the largest p down, which again keeps
// the order. Rejecting below a level keeps the expected share of true
// hypotheses among those rejected below it (for independent or positively
// dependent tests).
std::vector<double> benjaminiHochbergAdjusted(const std::vector<double>& pValues);

// One of the above, or a copy for None. The result is in the order of the input;
// tied p-values get the same adjusted p. p-values must lie in 0..1 (not NaN).
std::vector<double> adjustPValues(const std::vector<double>& pValues, PValueAdjustment method);

}  // namespace vyn::profiling

#endif  // VYN_STATS_P_VALUE_ADJUSTMENT_H_
