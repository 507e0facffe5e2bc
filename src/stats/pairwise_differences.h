// The m n differences b[j] - a[i] between every value of one sample and every
// value of another, ranked without ever being built: two samples of 100,000
// values have 10^10 of them. Counting the differences at most t takes one
// pass over both samples, because the sorted samples lay them out as a matrix
// whose rows and columns are both in order.
#ifndef VYN_STATS_PAIRWISE_DIFFERENCES_H_
#define VYN_STATS_PAIRWISE_DIFFERENCES_H_

#include <cstddef>
#include <cstdint>
#include <vector>

namespace vyn::profiling {

class PairwiseDifferences {
 public:
  // a and b sorted ascending, finite, and alive as long as this is. Every
  // difference is b[j] - a[i] as computed in double: rounding keeps it
  // ascending along j and descending along i, which is all the ranking needs.
  PairwiseDifferences(const std::vector<double>& a, const std::vector<double>& b) : a_(a), b_(b) {}

  std::uint64_t size() const { return static_cast<std::uint64_t>(a_.size()) * b_.size(); }

  // How many differences are at most t: O(m + n).
  std::uint64_t countAtMost(double t) const;

  // The k-th smallest difference for each k of ranks, k from 1 to size()
  // (clamped into it); NaN when there are none. Always one of the differences
  // themselves.
  //
  // Randomised selection in the manner of Floyd and Rivest, over the matrix:
  // each row keeps a window of candidate columns, the differences strictly
  // between the two values that bound the answer so far. A round draws a
  // stratified sample of the candidates, takes from it two pivots just below
  // and above where the k-th should fall, and ranks both in one pass; the
  // candidates shrink to those between the pivots (or beyond one of them, when
  // the sample missed), each round dropping all but a few percent. Once few
  // enough are left they are gathered and the answer is picked among them.
  // Expected time O((m + n) log(m + n)); the pivots come from a generator with
  // a fixed seed, so the time, like the result, is the same on every run. The
  // rows are those of the smaller sample.
  // Ranks that lie close together, as an estimate and its interval do, share
  // the first round, the only one at full width.
  std::vector<double> kths(const std::vector<std::uint64_t>& ranks) const;

  // The smallest difference above t; +infinity when none is: O(m + n).
  double smallestAbove(double t) const;

 private:
  double at(std::size_t i, std::size_t j) const { return b_[j] - a_[i]; }

  const std::vector<double>& a_;
  const std::vector<double>& b_;
};

}  // namespace vyn::profiling

#endif  // VYN_STATS_PAIRWISE_DIFFERENCES_H_
